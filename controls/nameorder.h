#pragma once

#include <QStringList>

// Sorts folder and file names as the windows list them: by the user's locale,
// letter case aside (A, b, c, y, Z), with case and then code points breaking
// ties so that the order never depends on the order the system listed them.
// The C locale has no collation of its own; it gets the common root order.
void SortNames(QStringList& names);
