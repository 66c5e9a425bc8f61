// A bare Qt Widgets window with one list, the yardstick for the program's start-up.

#include <QApplication>
#include <QTreeWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTreeWidget list;
    list.setHeaderLabels({QStringLiteral("行业"), QStringLiteral("网站名称"), QStringLiteral("网址")});
    list.resize(654, 391);
    list.show();
    return app.exec();
}
