#include "app/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <thread>

#include "app/thumbrixapplication.h"
#include "app/windowtexts.h"
#include "controls/cspinedit.h"
#include "controls/programfont.h"
#include "controls/shelltree.h"
#include "conversion/runconversion.h"
#include "conversion/windowformats.h"
#include "platform/pathtext.h"

namespace {

QLabel* MakeLabel(const QString& text, int left, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// The caption was laid out for a narrower font: it is condensed just enough
// to end before the control beside it, which keeps its place.
void FitCaption(QLabel* label, int room) {
    QFont font = label->font();
    for (int stretch = 99; stretch >= 80 && label->sizeHint().width() > room; --stretch) {
        font.setStretch(stretch);
        label->setFont(font);
    }
    label->adjustSize();
}

// Widths were laid out for a slightly narrower font; a caption must not lose
// its last letters, and nothing stands right beside the check boxes.
void WidenToCaption(QCheckBox* box) {
    if (box->sizeHint().width() > box->width()) box->resize(box->sizeHint().width(), box->height());
}

QCheckBox* MakeCheckBox(const QString& text, const QRect& geometry, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setGeometry(geometry);
    WidenToCaption(box);
    box->setFocusPolicy(Qt::ClickFocus);  // Tab passes them by
    return box;
}

TCSpinEdit* MakeSpinEdit(int min, int max, int step, int value, const QRect& geometry,
                         QWidget* parent) {
    auto* edit = new TCSpinEdit(parent);
    edit->setGeometry(geometry);
    edit->setMinValue(min);
    edit->setMaxValue(max);
    edit->setIncrement(step);
    edit->setValue(value);
    return edit;
}

// Read from the list's own bytes: QUrl would decode a name that is not UTF-8
// into replacement characters.
QList<QString> LocalFiles(const QMimeData* data) {
    QList<QString> paths;
    if (!data || !data->hasUrls()) return paths;
    const QByteArray list = data->data(QStringLiteral("text/uri-list"));
    for (const std::string& path : LocalPathsOfUriList(list.toStdString()))
        paths.append(PathText(path));
    return paths;
}

}  // namespace

TForm1::TForm1(const QStringList& arguments, const QString& programFile, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      programFile_(programFile) {
    setWindowTitle(tr("Thumbrix"));
    setFont(ProgramFont());
    setFixedSize(281, 280);
    CreateControls();
    FormCreate(arguments);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
    Label8 = MakeLabel(tr("ThumbnailSize"), 0, 8, this);
    const Settings defaults;
    ThumbnailSize = MakeSpinEdit(Settings::kSizeRange.low, Settings::kSizeRange.high, 1,
                                 defaults.size, QRect(80, 0, 49, 21), this);
    FitCaption(Label8, ThumbnailSize->x() - Label8->x());

    GroupBox1 = new QGroupBox(tr("Jpeg Option"), this);
    GroupBox1->setGeometry(0, 24, 129, 113);
    Label6 = MakeLabel(tr("Quality"), 24, 16, GroupBox1);
    JpegQualityV = MakeSpinEdit(Settings::kQualityRange.low, Settings::kQualityRange.high, 10,
                                defaults.quality, QRect(80, 8, 41, 21), GroupBox1);
    JpegPrEncode = MakeCheckBox(tr("Progressive"), QRect(8, 32, 81, 17), GroupBox1);
    JpegQualityF = MakeCheckBox(tr("Best Quality"), QRect(8, 48, 89, 17), GroupBox1);
    JpegQualityF->setChecked(defaults.bestQuality);
    JpegSmoothing = MakeCheckBox(tr("Smoothing"), QRect(8, 64, 73, 17), GroupBox1);

    Button1 = new QPushButton(tr("Default"), this);
    Button1->setGeometry(8, 112, 49, 17);
    Button3 = new QPushButton(tr("処理開始"), this);
    Button3->setGeometry(8, 152, 113, 25);
    QFont bold = Button3->font();
    bold.setBold(true);
    Button3->setFont(bold);
    QPalette red = Button3->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    Button3->setPalette(red);
    Button3->hide();
    Button2 = new QPushButton(tr("プレビュー"), this);
    Button2->setGeometry(64, 152, 65, 25);
    Button2->hide();
    TimeStamp = new QCheckBox(tr("日付は変えない"), this);
    TimeStamp->setGeometry(8, 192, 105, 17);
    WidenToCaption(TimeStamp);

    Label7 = MakeLabel(tr("格納先指定"), 168, 0, this);
    ShellTree2 = new TShellTree(this);
    ShellTree2->setGeometry(136, 16, 145, 193);
    ShellTree2->Loaded();

    GroupBox2 = new QGroupBox(tr("FileName"), this);
    GroupBox2->setGeometry(0, 208, 281, 49);
    FileNameA = new QLineEdit(GroupBox2);
    FileNameA->setGeometry(16, 16, 57, 20);
    FileNameA->setFocusPolicy(Qt::ClickFocus);
    Label1 = MakeLabel(tr("＋ FileName ＋"), 80, 24, GroupBox2);
    FileNameB = new QLineEdit(GroupBox2);
    FileNameB->setGeometry(168, 16, 57, 20);
    FileNameB->setFocusPolicy(Qt::ClickFocus);
    Label2 = MakeLabel(tr("＋ .JPG"), 232, 24, GroupBox2);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(0, 264, 281, 16);
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    for (QWidget* w : {static_cast<QWidget*>(Label8), static_cast<QWidget*>(Label6),
                       static_cast<QWidget*>(Label7), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(Label2)})
        w->setFocusPolicy(Qt::NoFocus);
    setTabOrder(ShellTree2, JpegQualityV);
    setTabOrder(JpegQualityV, ThumbnailSize);
    setTabOrder(ThumbnailSize, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, TimeStamp);
    setTabOrder(TimeStamp, Button3);

    NameForAssistiveTools();

    connect(ThumbnailSize, &TCSpinEdit::OnChange, this, &TForm1::ThumbnailSizeChange);
    connect(JpegQualityV, &TCSpinEdit::OnChange, this, &TForm1::JpegQualityVChange);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
}

// Screen readers name a control by its caption; the edits and the tree have
// none of their own and take the caption that stands for them.
void TForm1::NameForAssistiveTools() {
    ThumbnailSize->setAccessibleName(Label8->text());
    JpegQualityV->setAccessibleName(Label6->text());
    ShellTree2->setAccessibleName(Label7->text());
    FileNameA->setAccessibleName(tr("FileName prefix"));
    FileNameB->setAccessibleName(tr("FileName suffix"));
    ProgressBar1->setAccessibleName(tr("Progress"));
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             Button1, Button2, Button3, JpegPrEncode, JpegQualityF, JpegSmoothing, TimeStamp})
        button->setAccessibleName(button->text());
    for (QGroupBox* group : {GroupBox1, GroupBox2}) group->setAccessibleName(group->title());
    for (QLabel* label : {Label8, Label6, Label7, Label1, Label2})
        label->setAccessibleName(label->text());
}

void TForm1::Button1Click() {
    const Settings defaults;
    JpegQualityV->setValue(defaults.quality);
    JpegQualityF->setChecked(defaults.bestQuality);
    JpegSmoothing->setChecked(defaults.smoothing);
    JpegPrEncode->setChecked(defaults.progressive);
    ThumbnailSize->setValue(defaults.size);
}

void TForm1::Button2Click() {
    if (preview_) preview_->ShowNormal();
}

void TForm1::Button3Click() {
    // A press that arrives through the pump of a run in progress is ignored:
    // the run owns the queue until it ends.
    if (state_.running()) return;
    state_.PreviewMode = false;
    try {
        RunConversion(state_, *this);
    } catch (...) {
        close();
        throw;
    }
    close();
}

void TForm1::JpegQualityVChange() {
    const int quality = JpegQualityV->value();
    if (Settings::kQualityRange.clamp(quality) != quality)
        JpegQualityV->setValue(Settings::kQualityRange.clamp(quality));
}

void TForm1::ThumbnailSizeChange() {
    if (ThumbnailSize->value() < 8) ThumbnailSize->setValue(8);
}

void TForm1::ActivateHost() {
    raise();
    activateWindow();
}

void TForm1::DropFiles(const QStringList& paths) {
    if (commandLineMode_ || state_.running()) return;
    state_.FileQueue.clear();
    for (const QString& path : paths) state_.FileQueue.push_back(PathBytes(path));
    state_.PreviewMode = false;
    if (!paths.isEmpty()) RunConversion(state_, *this);
}

// While a run is in progress or about to start, the drag shows that it
// cannot drop here.
bool TForm1::TakesDrops() const {
    return !commandLineMode_ && !dropPending_ && !state_.running();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (TakesDrops() && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (TakesDrops())
        event->acceptProposedAction();
    else
        event->ignore();
}

// The drop is finished before the run: the drag source is released at once
// instead of waiting for the whole run.
void TForm1::dropEvent(QDropEvent* event) {
    if (!TakesDrops()) {
        event->ignore();
        return;
    }
    const QStringList paths = LocalFiles(event->mimeData());
    event->acceptProposedAction();
    dropPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            dropPending_ = false;
            DropFiles(paths);
        },
        Qt::QueuedConnection);
}

// Return and Enter press the focused button, as Space does. Qt does so only
// in dialogs, or for buttons marked as defaults, which it draws smaller.
void TForm1::keyPressEvent(QKeyEvent* event) {
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (button && button->isEnabled() &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

int TForm1::thumbnailSize() {
    return ThumbnailSize->value();
}
int TForm1::jpegQuality() {
    return JpegQualityV->value();
}
bool TForm1::bestQuality() {
    return JpegQualityF->isChecked();
}
bool TForm1::smoothing() {
    return JpegSmoothing->isChecked();
}
bool TForm1::progressive() {
    return JpegPrEncode->isChecked();
}
bool TForm1::keepDate() {
    return TimeStamp->isChecked();
}
bool TForm1::autoOrient() {
    return stored_.autoOrient;
}
bool TForm1::toSrgb() {
    return stored_.toSrgb;
}
std::string TForm1::prefix() {
    return PathBytes(FileNameA->text());
}
std::string TForm1::suffix() {
    return PathBytes(FileNameB->text());
}
std::string TForm1::destination() {
    return PathBytes(ShellTree2->PathName());
}
// One a core.
int TForm1::decodeAheadWorkers() {
    return std::max(int(std::thread::hardware_concurrency()), 1);
}
bool TForm1::readsSource(const std::string& source, const PictureFormat& format) {
    return WindowReadsSource(source, format, stored_.allFormats);
}
void TForm1::setProgress(int position) {
    ProgressBar1->setValue(position);
}
void TForm1::pump() {
    pump_();
}

void TForm1::ReportError(const QString& message) {
    ThumbrixApplication::ShowError(message);
}

void TForm1::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ThumbrixApplication::Title(), WindowText(text),
                    QMessageBox::Ok, this);
    box.exec();
}
