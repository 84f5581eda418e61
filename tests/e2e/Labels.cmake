# Labels the tests of the current folder: e2e.* as e2e, skipped on status 77 (a
# machine that lacks a display or a tool they need), the others as unit.
function(lucenta_label_tests)
    get_property(tests DIRECTORY PROPERTY TESTS)
    foreach(test ${tests})
        if(test MATCHES "^e2e\\.")
            set_tests_properties(${test} PROPERTIES LABELS e2e SKIP_RETURN_CODE 77)
        else()
            set_tests_properties(${test} PROPERTIES LABELS unit)
        endif()
    endforeach()
endfunction()
