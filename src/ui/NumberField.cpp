#include "ui/NumberField.h"

#include <algorithm>
#include <limits>

namespace dravel::ui {

NumberField::NumberField(QWidget* parent) : QSpinBox(parent) {}

QValidator::State NumberField::validate(QString& text, int&) const {
    const QChar decimalPoint = locale().decimalPoint().front();
    const bool typeable = std::all_of(text.cbegin(), text.cend(), [&](QChar c) {
        return c.isDigit() || c == u'+' || c == u'-' || c == decimalPoint;
    });
    return typeable ? QValidator::Acceptable : QValidator::Invalid;
}

int NumberField::valueFromText(const QString& text) const {
    bool whole = false;
    const qlonglong number = text.toLongLong(&whole);
    if (!whole) return minimum();
    return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
}

}  // namespace dravel::ui
