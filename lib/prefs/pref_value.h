// Values taken from prefs.js lines such as
//   user_pref("browser.cache.directory", "C:\\Netscape\\Users\\joe\\cache");
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace prefs {

// The string value of a line as the file holds it: cut at the first comma,
// then the text between the next quote (double, as the browser writes, or
// single, which its script language takes too) and the one of the same
// kind that closes it, a quote escaped with a backslash ("Dana \"DW\"
// Whitfield") being part of the value. Escapes are not undone (Unescape
// does). "" gives an empty value. A line that has no comma, no quote after
// it, or no closing quote has no string value (a boolean or number
// preference, or a damaged line): nullopt.
std::optional<std::string> CutValue(std::string_view line);

// The text a string value as the file holds it stands for, with the
// escapes of the browser's script language undone: \\ \" \' \n \r \t
// \b \f \v, \xHH, \uHHHH and octal \NNN, and a backslash before any other
// character stands for that character. A numeric escape of 0x80 or more
// means a letter of whatever code page the text is read in, so it stays as
// written (EscapeValue gives it back the same). A backslash at the very end
// stays.
std::string Unescape(std::string_view held);

// How the file must hold `text` between the double quotes of a string
// preference for the browser to read exactly `text`: every backslash and
// double quote escaped, line breaks and tabs as \n \r \t, other control
// characters as \xHH, and a numeric escape of 0x80 or more that Unescape
// kept goes back as it was. Unescape(EscapeValue(x)) == x for every x.
std::string EscapeValue(std::string_view text);

// The name of the preference a line sets: the quoted name that follows
// "user_pref(" at the start of the line (blanks, and the LF a slot of the
// line table begins with, allowed around it). Empty for any other line,
// so "mail.identity.username" is never taken for a longer name that holds
// it, nor for a mention of it in a comment.
std::string PrefKeyOf(std::string_view line);

// A path value with each run of backslashes made one (prefs.js doubles
// them) and no backslash at either end. A value of backslashes alone, or
// an empty one, gives an empty path. Note that a network path loses its
// leading pair as well and comes out relative.
std::string NormalisePath(std::string_view value);

}  // namespace prefs
