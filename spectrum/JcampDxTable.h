#pragma once
// The data tables of JCAMP-DX files. (X++(Y..Y)): each line an abscissa and
// ordinates in the ASDF forms: AFFN and PAC (numbers with blanks, commas or
// signs between them), SQZ (the first digit and the sign in one letter,
// @ A-I a-i), DIF (differences, % J-R j-r) and DUP (repeat counts, S-Z s).
// When a line ends in DIF form, the next line begins with its last ordinate
// again (the y check). (XY..XY): pairs of numbers.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <span>
#include <vector>

// The points of the table and the step of its numbers (1 for ASDF forms,
// the last decimal of AFFN numbers). Values are as written: before XFACTOR
// and YFACTOR.
struct TJcampValues {
    std::vector<double> X;   // (XY..XY) only
    std::vector<double> Y;
    double Quantum = 1;
};

// Where the points of an (X++(Y..Y)) table lie, to check each line's abscissa.
struct TJcampGrid {
    double FirstX = 0;   // x of point 0, in the file's x units
    double DeltaX = 0;   // between points
    double XFactor = 1;  // the lines' abscissas times this are x
    long long Points = 0;  // NPOINTS: the table holds exactly this many
};

// Decodes an (X++(Y..Y)) table; file names the file in refusals (a character
// that is no number, a difference or repeat with nothing before it, a y or x
// check that fails, more or fewer points than grid.Points). Nothing beyond
// grid.Points is ever stored.
TJcampValues DecodeXyData(std::span<const QByteArrayView> lines, const TJcampGrid& grid, const QString& file);

// Decodes (XY..XY) pairs, at most maxPoints of them.
TJcampValues DecodeXyPoints(std::span<const QByteArrayView> lines, long long maxPoints, const QString& file);

// The lines of an (X++(Y..Y)) table of whole-number ordinates, at most 80
// characters each: AFFN, or DIF with DUP (and SQZ at the start of each line,
// the y check repeated on the next line and alone on a last line).
QByteArray EncodeXyData(std::span<const long long> y, double firstX, double deltaX, bool compressed);
