#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "tests/app/form1fixture.h"

namespace {

// Drags the files onto the window and drops them if it takes them; whether
// the drop was accepted. The run that follows is not started yet.
bool SendDrop(QWidget& target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &move);
    if (!enter.isAccepted() || !move.isAccepted()) return false;
    QDropEvent drop(QPointF(12, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

bool Drop(QWidget& target, const QStringList& paths) {
    const bool accepted = SendDrop(target, paths);
    QCoreApplication::sendPostedEvents();
    return accepted;
}

class Form1RunTest : public Form1Test {
protected:
    void SetUp() override {
        out = makeFolder("out");
        writeSettings(("[FilePAth]\nSave=" + out + "\n").toUtf8());
    }
    bool written(const QString& name) const { return QFileInfo::exists(out + name); }

    QString out;
};

TEST_F(Form1RunTest, DropRunsOverTheDroppedFilesAndTheNextDropReplacesThem) {
    auto form = makeForm();
    std::vector<size_t> queueDuringRun;
    form->duringRun = [&] { queueDuringRun.push_back(form->State().FileQueue.size()); };
    Drop(*form, {makeBmp("a.bmp"), makeBmp("b.bmp"), makeBmp("c.bmp")});
    EXPECT_TRUE(written("a.jpg") && written("b.jpg") && written("c.jpg"));
    ASSERT_FALSE(queueDuringRun.empty());
    EXPECT_EQ(queueDuringRun.front(), 3u);
    EXPECT_TRUE(form->State().FileQueue.empty());
    EXPECT_EQ(form->ProgressBar1->value(), 0);

    queueDuringRun.clear();
    Drop(*form, {makeBmp("d.bmp")});
    EXPECT_TRUE(written("d.jpg"));
    EXPECT_EQ(queueDuringRun.front(), 1u);
}

// The drop event returns before the run begins, so the drag source hears
// "finished" at once; until the run ends, drags are refused.
TEST_F(Form1RunTest, TheDropIsFinishedBeforeItsRunAndDragsAreRefusedUntilItEnds) {
    auto form = makeForm();
    EXPECT_TRUE(SendDrop(*form, {makeBmp("a.bmp")}));
    EXPECT_FALSE(written("a.jpg"));
    EXPECT_FALSE(SendDrop(*form, {makeBmp("queued.bmp")}));  // its run is still to come

    bool refusedDuringRun = false;
    form->duringRun = [&] {
        if (!refusedDuringRun) refusedDuringRun = !Drop(*form, {makeBmp("late.bmp")});
    };
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(written("a.jpg"));
    EXPECT_TRUE(refusedDuringRun);
    EXPECT_FALSE(written("late.jpg"));
    form->duringRun = nullptr;
    EXPECT_TRUE(Drop(*form, {makeBmp("b.bmp")}));
    EXPECT_TRUE(written("b.jpg"));
}

TEST_F(Form1RunTest, CommandLineModeTakesNoDrops) {
    auto form = makeForm({dir.filePath("x.bmp")});
    Drop(*form, {makeBmp("a.bmp")});
    EXPECT_FALSE(written("a.jpg"));
    EXPECT_EQ(form->State().FileQueue.size(), 1u);
}

// Counts the paint events a widget gets while a condition holds.
class PaintsWhile : public QObject {
public:
    explicit PaintsWhile(std::function<bool()> condition) : condition_(std::move(condition)) {}
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && condition_()) ++count;
        return false;
    }

private:
    std::function<bool()> condition_;
};

// Through the window's own pump, in the middle of a run: a timer fires, a
// click on a control is handled and the moving bar is painted; closing, a
// second start and a drop are refused until the run ends.
TEST_F(Form1RunTest, DuringARunTheWindowHandlesEventsButRefusesToCloseOrStartAgain) {
    writeSettings(("[FilePAth]\nSave=" + out + "\n[IconImage]\nSize=160\n").toUtf8());
    auto form = makeForm();
    form->windowPump = true;
    form->show();
    const auto running = [&] { return form->State().running(); };
    PaintsWhile barPaints([&] { return running() && form->ProgressBar1->value() > 0; });
    form->ProgressBar1->installEventFilter(&barPaints);
    const bool keepDate = form->TimeStamp->isChecked();
    bool clickedInRun = false;
    QObject::connect(form->TimeStamp, &QCheckBox::toggled, [&] { clickedInRun = running(); });
    // The run starts from the event the drop posts; the timer is queued after it.
    ASSERT_TRUE(SendDrop(*form, {makeBmp("a.bmp", 800, 600), makeBmp("b.bmp", 800, 600),
                                 makeBmp("c.bmp", 800, 600)}));
    bool timerInRun = false;
    bool closeRefused = false;
    QTimer::singleShot(0, form.get(), [&] {
        timerInRun = running();
        closeRefused = !form->close();
        form->Button3Click();
        Drop(*form, {makeBmp("late.bmp")});
        // A user's click, queued as the system queues it.
        QWidget* box = form->TimeStamp;
        const QPointF at = box->rect().center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                box,
                new QMouseEvent(type, at, box->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
    });
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(timerInRun);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(clickedInRun);
    EXPECT_NE(form->TimeStamp->isChecked(), keepDate);
    EXPECT_GT(barPaints.count, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(written("a.jpg") && written("b.jpg") && written("c.jpg"));
    EXPECT_FALSE(written("late.jpg"));
    EXPECT_TRUE(form->close());
}

TEST_F(Form1RunTest, StartConvertsTheCommandLineFilesAndCloses) {
    auto form = makeForm({makeBmp("a.bmp"), dir.filePath("notes.txt"), makeBmp("b.bmp")});
    form->show();
    form->Button3Click();
    EXPECT_TRUE(written("a.jpg"));
    EXPECT_TRUE(written("b.jpg"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->messages.empty());
    EXPECT_TRUE(readSettings().contains("[JpegOption]"));
}

// Return and the keypad's Enter press the focused button, as Space does.
TEST_F(Form1RunTest, EnterPressesTheFocusedButton) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        auto form = makeForm({makeBmp("a.bmp")});
        form->show();
        form->JpegQualityV->setValue(100);
        form->Button1->setFocus();
        QTest::keyClick(form->Button1, k.key, k.modifiers);
        EXPECT_EQ(form->JpegQualityV->value(), 60);

        QFile::remove(out + "a.jpg");
        form->Button3->setFocus();
        QTest::keyClick(form->Button3, k.key, k.modifiers);
        EXPECT_TRUE(written("a.jpg"));
        EXPECT_FALSE(form->isVisible());
    }
}

TEST_F(Form1RunTest, ClosingWithoutStartConvertsNothingAndWritesTheSettings) {
    auto form = makeForm({makeBmp("a.bmp")});
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(written("a.jpg"));
    EXPECT_TRUE(readSettings().contains("Size=32"));
}

TEST_F(Form1RunTest, MissingDestinationShowsTheMessageAndTheWindowStillCloses) {
    writeSettings("[FilePAth]\nSave=/no/such/folder/\n");
    auto form = makeForm({makeBmp("a.bmp")});
    form->ShellTree2->Update();  // nothing selected
    form->show();
    form->Button3Click();
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_EQ(form->messages.front(), "格納先を設定してください");
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(written("a.jpg"));
    EXPECT_TRUE(readSettings().contains("Save=\n") || readSettings().contains("Save=\r\n"));
}

TEST_F(Form1RunTest, TheRunReadsTheControlsAtTheMomentItNeedsThem) {
    auto form = makeForm();
    form->FileNameA->setText("s_");
    bool changed = false;
    form->duringRun = [&] {
        if (changed) return;
        changed = true;
        form->FileNameB->setText("_t");  // typed while the first file is scaled
    };
    Drop(*form, {makeBmp("a.bmp"), makeBmp("b.bmp")});
    EXPECT_TRUE(written("s_a_t.jpg"));
    EXPECT_TRUE(written("s_b_t.jpg"));
}

}  // namespace
