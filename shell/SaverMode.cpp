#include "shell/SaverMode.h"

SaverMode ParseSaverMode(std::u16string_view arguments, int argumentCount) {
    if (!arguments.empty() && (arguments[0] == u'-' || arguments[0] == u'/')) {
        arguments.remove_prefix(1);
    }
    const char16_t letter = arguments.empty() ? u'\0' : arguments[0];
    if (letter == u'i') {
        return SaverMode::Install;
    }
    if (letter == u's') {
        return SaverMode::Run;
    }
    if (argumentCount == 1 || letter == u'c') {
        return SaverMode::Configure;
    }
    return SaverMode::Exit;
}
