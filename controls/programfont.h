#pragma once

#include <QFont>

// The windows' font: "ＭＳ Ｐゴシック" where it exists, else IPAPGothic (made to
// its metrics), else any Japanese font; 12 pixels high.
QFont ProgramFont();
