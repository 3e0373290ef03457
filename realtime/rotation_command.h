#pragma once

#include <string>

#include "rotation/angle_triple.h"

namespace KeyFrame {

// Whether `text` begins with `prefix`, byte for byte and case-sensitive, over
// the prefix's whole length. A shorter text never matches.
bool begins_with(const std::string &text, const char *prefix);

// The heading, pitch and bank amounts of an "AddRotation " command, converted
// from degrees to radians. The words are cut at single blanks (the space
// character alone): the command word is dropped, heading and pitch are the
// text up to the next blank, bank is all that remains. Where a blank is
// missing the text is left as it is, so the last number present is read again;
// a doubled blank gives an empty field, read as 0, and shifts the following
// numbers by one place. Each field is converted like atof: leading white
// space skipped, the longest decimal prefix read, 0 when there is none. The
// conversion goes through strtod, so an amount too large for a double comes
// back as infinite (atof leaves that case undefined); "inf" and "nan" come
// back as such. Callers must check the result before using it.
AngleTriple read_rotation_offset(const std::string &command);

}  // namespace KeyFrame
