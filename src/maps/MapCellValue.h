#pragma once

#include <QRect>
#include <QString>
#include <optional>

// The rules of a map cell's text and value. A cell holds v (-128..127), an advance change of
// v * 0.2 degrees; the grid shows v * 0.2, the chart gets (v + 128) * 0.2.
namespace MapCellValue {

QString text(int v);         // v * 0.2 in the general number form of the user's locale
double chartValue(int v);    // (v + 128) * 0.2
int stepped(int v, bool up); // one step, held at -128 and 127

// The longest leading decimal number of the text, "." as the only separator (leading blanks
// skipped); text that does not start with a number gives 0.
double leadingNumber(const QString& text);
// The angle of a cell's text as shown (first "," read as "."): for the chart cursor.
double angleOf(const QString& cellText);

// A value being typed into a cell. Nothing while the user is obviously still typing (empty,
// a lone sign, a trailing "." or ",", an exponent without its digits) and nothing for a text
// that is not a number as a whole ("a", "4x"); otherwise the value clamped to -25.6..25.4 and
// v = value * 5 truncated toward zero.
struct Typed {
    double angle = 0.0; // the clamped value, degrees
    int v = 0;
};
std::optional<Typed> typed(const QString& text);
// A text that no further key makes a number ("a", "4x", "1.2.3"): nothing of it is stored,
// and the user is told. False for a number and for one still being typed.
bool notANumber(const QString& text);
// Degrees as a cell value by the same rule, for every way a number comes in (typed, pasted,
// set or added with the tools): held at -25.6..25.4, then * 5 truncated toward zero.
int stepsOf(double degrees);

// Cell numbers the controller rewrites for a selection (columns left..right, rows
// top..bottom of the grid): every cell from the first selected to the last, unselected cells
// of the columns in between included.
struct WriteRange {
    int first = 0;
    int last = 0;
};
WriteRange writeRange(const QRect& selection);

} // namespace MapCellValue
