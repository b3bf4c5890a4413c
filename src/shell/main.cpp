#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvex");
    QMainWindow frame;
    frame.setWindowTitle("Tarvex");
    frame.setCentralWidget(new QMdiArea(&frame));
    frame.resize(1024, 768);
    frame.show();
    return app.exec();
}
