// The rule every FAT reader holds a volume label to, applied in one place for
// every front (mkfat32 on Linux and Windows, the window's carried label): the
// label is stored uppercase, as Windows stores it; control characters,
// * ? . , ; : / \ | + = < > [ ] " and a leading blank are not allowed (fsck.fat
// removes such a label); a label of blanks only is no label ("NO NAME").
#pragma once

#include <cstddef>
#include <string>

namespace fat32 {

inline constexpr std::size_t kLabelFieldBytes = 11;

// What to do with a character the rule forbids: refuse the label (a label
// the user typed), or store '_' in its place (an old label carried over).
enum class BadLabelCharacter { Refuse, Replace };

// A label's way from text to the bytes FAT stores, as each front's
// conversion reports it.
struct LabelConversion {
    std::string bytes;        // in the code page, at most 11
    bool known = true;        // the system can convert between the two encodings;
                              // when not, Windows stores `bytes` as ASCII, others '_'
    unsigned long systemError = 0;  // why Windows could not (GetLastError)
    bool cut = false;         // the label was longer than 11 bytes
    bool replaced = false;    // a character the code page lacks became '_'
    bool repaired = false;    // a character the rule forbids became '_'
    char32_t forbidden = 0;   // refused: the first character the rule forbids
    bool undecodable = false;  // the text is not in the encoding it claims
};

// Applies the rule to `text` (Unicode code points): uppercased; blanks only
// give ""; a forbidden character is either reported in `forbidden` (and the
// text returned as far as it goes) or replaced by '_' with `repaired` set.
std::u32string ApplyFatLabelRule(const std::u32string& text, BadLabelCharacter bad,
                                 char32_t& forbidden, bool& repaired);

// The uppercase of a letter as Windows maps FAT names: ASCII, Latin-1 and
// Latin Extended-A, Greek and Cyrillic; everything else as it is.
char32_t FatUpperCase(char32_t c);

// A forbidden character named for a message: "'*'", "a tab", "a leading
// blank" (a blank is forbidden only there), "U+0001".
std::string DescribeLabelCharacter(char32_t c);

}  // namespace fat32
