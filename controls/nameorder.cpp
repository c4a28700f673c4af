#include "controls/nameorder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace {

// Qt compares plain code points under C, putting every capital first.
QLocale CollationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

}  // namespace

void SortNames(QStringList& names) {
    const QCollator collator(CollationLocale());
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}
