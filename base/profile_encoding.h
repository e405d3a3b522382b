// The encodings a player's editor may save a profile file in, and the text the parser reads of
// each: a byte-order mark dropped, UTF-16 as UTF-8. Writing turns the text back into the
// file's own form. Line ends are left as they are: the parser takes every kind.
#pragma once

#include <string>
#include <string_view>

struct ProfileForm {
    enum Encoding { bytes, utf8WithMark, utf16Le, utf16Be };
    Encoding encoding = bytes;
};

// The text of a file's bytes, and the form they were in. Any bytes decode, a UTF-16 file cut
// inside a unit too.
std::string profileTextFromFile(std::string_view file, ProfileForm& form);

// The bytes of text in form. For a file read with profileTextFromFile and not changed, they
// are the file's bytes again.
std::string profileFileFromText(std::string_view text, const ProfileForm& form);
