#include <QStringList>
#include <QStyle>
#include <QStyleFactory>
#include <exception>
#include <memory>

#include "app/form1.h"
#include "app/thumbrixapplication.h"
#include "app/windowtexts.h"
#include "platform/pathtext.h"
#include "platform/programfile.h"
#include "preview/form3.h"

int main(int argc, char* argv[]) {
    ThumbrixApplication app(argc, argv);
    // The windows are laid out to the pixel for the classic look.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) app.setStyle(style);
    try {
        // The bytes the shell passed (Qt has taken its own options out of
        // argv): QCoreApplication::arguments() would decode a name that is
        // not UTF-8 into replacement characters.
        QStringList arguments;
        for (int i = 1; i < argc; ++i) arguments.append(PathText(argv[i]));
        const QString programFile =
            PathText(RunningProgramFile(QCoreApplication::applicationFilePath().toStdString()));
        TForm1 form1(arguments, programFile);
        std::unique_ptr<TForm3> form3;
        if (arguments.isEmpty()) {
            form3 = std::make_unique<TForm3>(form1, programFile);
            form1.SetPreviewWindow(form3.get());
        }
        form1.show();
        return app.exec();
    } catch (const std::exception& e) {
        ThumbrixApplication::ShowError(WindowText(e.what()));
    }
    return 1;
}
