#pragma once

#include <QString>
#include <cstddef>

namespace dravel::extras {

// "1 Eintrag", "3 Einträge": a number with the noun in its German number.
inline QString counted(std::size_t n, const QString& one, const QString& many) {
    return QString::number(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace dravel::extras
