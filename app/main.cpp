#include <QApplication>
#include <QWidget>

// Start of the program. Until the windows exist it shows an empty connection window.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("Corvalen");
    window.resize(536, 371);
    window.show();
    return QApplication::exec();
}
