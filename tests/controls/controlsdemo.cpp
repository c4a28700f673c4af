// A small window with both controls, for looking at them by eye:
//   controls_demo [folder]
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include "controls/cspinedit.h"
#include "controls/shelltree.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont font;
    font.setFamilies({QStringLiteral("\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af"),
                      QStringLiteral("IPAPGothic")});
    font.setPixelSize(12);
    QApplication::setFont(font);

    QWidget window;
    window.setWindowTitle(QStringLiteral("controls_demo"));
    window.resize(300, 240);

    auto* sizeLabel = new QLabel(QStringLiteral("\u30b5\u30a4\u30ba"), &window);
    sizeLabel->setGeometry(8, 12, 70, 16);
    auto* thumbnailSize = new TCSpinEdit(&window);
    thumbnailSize->setGeometry(80, 8, 49, 21);
    thumbnailSize->setMinValue(32);
    thumbnailSize->setMaxValue(160);
    thumbnailSize->setValue(32);

    auto* qualityLabel = new QLabel(QStringLiteral("\u54c1\u8cea"), &window);
    qualityLabel->setGeometry(8, 40, 70, 16);
    auto* jpegQuality = new TCSpinEdit(&window);
    jpegQuality->setGeometry(80, 36, 41, 21);
    jpegQuality->setMinValue(20);
    jpegQuality->setMaxValue(100);
    jpegQuality->setIncrement(10);
    jpegQuality->setValue(60);

    auto* pathLabel = new QLabel(&window);
    pathLabel->setGeometry(8, 216, 284, 16);
    auto* tree = new TShellTree(&window);
    tree->setGeometry(136, 8, 156, 200);
    tree->Loaded();
    QObject::connect(tree, &TShellTree::OnChange, pathLabel,
                     [tree, pathLabel] { pathLabel->setText(tree->PathName()); });
    tree->setPathName(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::homePath());

    window.show();
    return app.exec();
}
