#pragma once

#include <QString>
#include <QWidget>

#include "app/form1.h"

// The preview window's place until it is built: it keeps the stored preview
// folder so that closing the main window does not lose it, and says that the
// preview is not there yet.
class TForm3 : public QWidget, public PreviewWindowLink {
    Q_OBJECT
public:
    TForm3(TForm1& form1, const QString& programFile, QWidget* parent = nullptr);

    void ShowNormal() override;
    QString LoadFolderPath() const override { return loadFolder_; }

private:
    QString loadFolder_;
};
