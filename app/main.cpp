#include <QStringList>
#include <QStyle>
#include <QStyleFactory>
#include <exception>
#include <memory>

#include "app/form1.h"
#include "app/thumbrixapplication.h"
#include "preview/form3.h"

int main(int argc, char* argv[]) {
    ThumbrixApplication app(argc, argv);
    // The windows are laid out to the pixel for the classic look.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) app.setStyle(style);
    try {
        const QStringList arguments = app.arguments().mid(1);
        const QString programFile = QCoreApplication::applicationFilePath();
        TForm1 form1(arguments, programFile);
        std::unique_ptr<TForm3> form3;
        if (arguments.isEmpty()) {
            form3 = std::make_unique<TForm3>(form1, programFile);
            form1.SetPreviewWindow(form3.get());
        }
        form1.show();
        return app.exec();
    } catch (const std::exception& e) {
        ThumbrixApplication::ShowError(QString::fromUtf8(e.what()));
    }
    return 1;
}
