#include "app/windowtexts.h"

#include <QCoreApplication>
#include <string_view>

namespace {

// %1 stands for the part that varies (a path or a number).
const char* const kCoreTexts[] = {
    QT_TRANSLATE_NOOP("CoreText", "格納先を設定してください"),
    QT_TRANSLATE_NOOP("CoreText", "ファイル %1 を作成できません"),
    QT_TRANSLATE_NOOP("CoreText", "ファイル %1 を開けません"),
    QT_TRANSLATE_NOOP("CoreText", "%1 に書き込めません"),
    QT_TRANSLATE_NOOP("CoreText", "JPEG エラー #%1"),
    QT_TRANSLATE_NOOP("CoreText", "ストリームの読み込みエラー"),
    QT_TRANSLATE_NOOP("CoreText", "ストリームの書き込みエラー"),
};

QString Translated(const char* source) {
    return QCoreApplication::translate("CoreText", source);
}

}  // namespace

QString WindowText(const std::string& message) {
    const std::string_view text = message;
    for (const char* source : kCoreTexts) {
        const std::string_view pattern = source;
        const auto hole = pattern.find("%1");
        if (hole == std::string_view::npos) {
            if (text == pattern) return Translated(source);
            continue;
        }
        const std::string_view before = pattern.substr(0, hole);
        const std::string_view after = pattern.substr(hole + 2);
        if (text.size() >= before.size() + after.size() && text.starts_with(before) &&
            text.ends_with(after)) {
            const std::string_view middle =
                text.substr(before.size(), text.size() - before.size() - after.size());
            return Translated(source).arg(
                QString::fromUtf8(middle.data(), qsizetype(middle.size())));
        }
    }
    return QString::fromUtf8(message.data(), qsizetype(message.size()));
}
