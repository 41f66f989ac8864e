/* Wide (UTF-16) string types shared by the modules: WString and WStringView
 * over WCHAR, whatever WCHAR is on the platform. */
#ifndef ZAMO_COMMON_WIDE_TEXT_H
#define ZAMO_COMMON_WIDE_TEXT_H

#include <windows.h>

#include <string>
#include <string_view>

using WString = std::basic_string<WCHAR>;
using WStringView = std::basic_string_view<WCHAR>;

#endif
