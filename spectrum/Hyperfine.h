#pragma once
// Groups of equivalent nuclei that split a line by hyperfine coupling: n
// nuclei of spin I give 2nI + 1 lines of multinomial intensities spaced by
// the group's coupling a; several groups give every combination of their
// lines (the convolution of their patterns). The text form "N,I", groups
// joined by ';' ("2,1; 12,1/2; 4,1/2"), is read here for the processing
// window and for meril-proc alike.

#include <QString>
#include <vector>

struct THyperfine {
    int Nuclei = 1;
    double Spin = 1;
    bool operator==(const THyperfine&) const = default;
};

using THyperfineGroups = std::vector<THyperfine>;

// Limits of what can be fitted: the number of nuclei of a group, the spins
// nuclei have (1/2 to 7 in steps of 1/2), the lines of all groups together.
inline constexpr int MaxHyperfineNuclei = 20;
inline constexpr double MaxNuclearSpin = 7;
inline constexpr int MaxHyperfineLines = 4096;

// The groups of a text: "N,I" groups joined by ';', I as 1, 1.5 or 3/2;
// "none" or an empty text is no group. Error holds the reason when the text
// is not such a list or a group is beyond the limits.
struct THyperfineText {
    THyperfineGroups Groups;
    QString Error;
};
THyperfineText ParseHyperfine(const QString& text);

// Empty when the groups can be fitted, else why not.
QString HyperfineProblem(const THyperfineGroups& groups);

// "1 nucleus of spin 1", "12 nuclei of spin 1/2"; the spin as "1/2" or "1".
QString HyperfineGroupText(const THyperfine& group);
QString SpinText(double spin);

// Relative intensities (summing to 1) of the 2nI + 1 lines of one group: the
// coefficients of (1 + z + ... + z^(2I))^n.
std::vector<double> MultipletWeights(int nuclei, double spin);

// Every line of the groups together: its intensity (all summing to 1) and,
// per group, its offset from the centre in units of that group's coupling
// (-nI .. nI in steps of 1).
struct THyperfineLines {
    std::vector<double> Weights;
    std::vector<std::vector<double>> Offsets;  // [group][line]
};
THyperfineLines HyperfineLines(const THyperfineGroups& groups);

// The group's share of the pattern's second moment per a^2: n I (I + 1) / 3.
double HyperfineSpread(const THyperfine& group);
