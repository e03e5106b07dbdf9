#pragma once

#include <QByteArray>
#include <algorithm>
#include <vector>

namespace ondrel {

// Insertions, deletions and substitutions that turn `a` into `b` (Levenshtein), for naming the
// nearest of several expected strings.
inline int editDistance(const QByteArray& a, const QByteArray& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace ondrel
