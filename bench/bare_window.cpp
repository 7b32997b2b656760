// Shows one empty main window and leaves as soon as it is up, like kumiro with
// KUMIRO_QUIT_WHEN_SHOWN set.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
    return QApplication::exec();
}
