// Values taken from prefs.js lines such as
//   user_pref("browser.cache.directory", "C:\\Netscape\\Users\\joe\\cache");
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace prefs {

// The string value of a line: cut at the first comma, then the text
// between the next two double quotes, taken verbatim (escapes are not
// undone). "" gives an empty value. A line that has no comma, no double
// quote after it, or no closing double quote has no string value
// (a boolean or number preference, or a damaged line): nullopt.
std::optional<std::string> CutValue(std::string_view line);

// A path value with each run of backslashes made one (prefs.js doubles
// them) and no backslash at either end. A value of backslashes alone, or
// an empty one, gives an empty path. Note that a network path loses its
// leading pair as well and comes out relative.
std::string NormalisePath(std::string_view value);

// The text a string preference must hold for the browser to read `value`
// as meant: every run of backslashes of odd length gets one more, so a
// lone backslash (a path typed by hand, "C:\new\sig.txt") becomes an
// escaped one, while pairs (the form prefs.js itself stores paths in, and
// so the form of every value taken from it) stay as they are.
std::string EscapeLoneBackslashes(std::string_view value);

// Whether `value` can stand between the double quotes of a string
// preference as it is: no double quote and no line break (either would end
// the string, or the line, early), and no backslash left over at its end
// to take the closing quote for an escaped one. The identity goes into
// prefs.js verbatim, so a value that fails here would damage the file.
bool FitsStringValue(std::string_view value);

}  // namespace prefs
