#pragma once

#include "discovery/devicetable.h"
#include "discovery/interfacelist.h"
#include "discovery/searchdevices.h"
#include "listcomparison.h"

#include <QMainWindow>
#include <QModelIndex>
#include <QRect>
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui {
class MainWindow;
}
class About;

// The finder's one window: pick an interface, search, open a device's page.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The adapter query is the platform's; tests hand in their own.
    explicit MainWindow(QWidget *parent = nullptr, AdapterQuery adapterQuery = &queryAdapters);
    ~MainWindow() override;

private slots:
    void on_btnLaunchConfig_clicked();
    void on_btnSearch_clicked();
    void on_tableWidget_doubleClicked(const QModelIndex &index);
    void on_pushButton_clicked();
    void setTableWidget(QStringList deviceList);
    void setTableHeader();
    void showSearchFailure(const QString &message);

private:
    void setInterfaceList();
    // The system's list as it is now; the choice stays on the interface of the same name.
    void refreshInterfaceList();
    void fillInterfaceList(const QVector<NetworkInterface> &listed);
    // The interface last searched on, where it is listed; else the core's preference.
    void chooseInterfaceAtStart();
    QVector<NetworkInterface> offeredInterfaces() const;
    NetworkInterface currentInterface() const;
    // Copy and launch, by the context menu and the platform's Copy key.
    void addRowActions();
    void launchConfig();
    // The last search's replies, compared with the list where one is in effect.
    void showReplies();
    // The summary needs the window's width: while a list is in effect, the status goes under the
    // table.
    void placeStatus();
    void sortBy(int column, Qt::SortOrder order);
    // As shown, in the CSV or JSON of orvane-find, by the file's name.
    void saveList();
    DeviceTable shownTable() const;

    std::unique_ptr<Ui::MainWindow> ui;
    const AdapterQuery readAdapters;
    SearchDevices searchDevices;
    // From a Search press until that search's list or failure arrives.
    bool searchPending = false;
    // The interface of the last search, which its replies are judged against.
    NetworkInterface searchedOn;
    std::optional<QStringList> replies; // the last search's
    ListComparison comparison;
    QRect tableAlone, statusAlone; // as the form places them, for a window without a list
    std::unique_ptr<About> about;
};
