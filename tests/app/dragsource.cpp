// A drag source for the real-display drop test. It drags the files named on
// its command line when the pointer is pressed on it (those before "--" the
// first time, those after it from then on), and prints, for each
// drag, when the target said "drop finished" (XdndFinished) and whether the
// target took the drop. Times are CLOCK_REALTIME nanoseconds.
#include <qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

long long Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

class FinishedWatch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
        if (client->type == finished) std::printf("finished %lld\n", Now());
        std::fflush(stdout);
        return false;
    }
    xcb_atom_t finished = XCB_NONE;
};

class Source : public QWidget {
public:
    explicit Source(const QStringList& arguments) {
        const qsizetype split = arguments.indexOf(QStringLiteral("--"));
        first_ = arguments.mid(0, split);
        later_ = split < 0 ? first_ : arguments.mid(split + 1);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& file : dragged_ ? later_ : first_)
            urls.append(QUrl::fromLocalFile(file));
        dragged_ = true;
        data->setUrls(urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("%s %lld\n", action == Qt::IgnoreAction ? "refused" : "dropped", Now());
        std::fflush(stdout);
    }

private:
    QStringList first_;
    QStringList later_;
    bool dragged_ = false;
};

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FinishedWatch watch;
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    watch.finished = Atom(x11->connection(), "XdndFinished");
    app.installNativeEventFilter(&watch);
    Source source(app.arguments().mid(1));
    source.setWindowTitle(QStringLiteral("dragsource"));
    source.setGeometry(400, 300, 120, 120);
    source.show();
    return app.exec();
}
