# lucenta_wayland_protocols(TARGET XML...): a static library TARGET with the client
# code wayland-scanner generates from each protocol, and its header as
# platform/wayland/<name>-client-protocol.h on the library's include path.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
if(NOT WAYLAND_PROTOCOLS_DIR)
    message(FATAL_ERROR "lucenta needs the Wayland protocols (wayland-protocols) and libwayland-dev")
endif()

function(lucenta_wayland_protocols target)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target})
    set(sources)
    foreach(xml ${ARGN})
        get_filename_component(name ${xml} NAME_WE)
        set(header ${generated}/platform/wayland/${name}-client-protocol.h)
        set(code ${generated}/${name}-protocol.c)
        add_custom_command(OUTPUT ${header} ${code}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/platform/wayland
            COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
            COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
            DEPENDS ${xml}
            VERBATIM)
        list(APPEND sources ${header} ${code})
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${generated})
    target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
    target_compile_options(${target} PRIVATE -w)  # generated code
endfunction()
