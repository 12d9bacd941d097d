#include "ui/AboutBox.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/ErrorGuard.h"
#include "ui/WindowServices.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowFont.h"
#include "tovik/Version.h"


namespace tovik {

namespace {

// Where the system information tool is registered, machine-wide.
constexpr std::string_view ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view ToolValue = "PATH";
constexpr std::string_view FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr std::string_view FolderValue = "MSINFO";

// Stored paths use "\" between folders; Qt takes "/" on every system.
QString LocalPath(const QString& path) {
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

// The path of the system information tool as the machine-wide part of the
// store names it, or an empty text when it names none.
QString LocateSysInfo(const SettingsStore& store) {
    std::string text;
    if (store.GetKeyValue(KeyRoot::LocalMachine, ToolKey, ToolValue, text))
        return QString::fromStdString(text);
    if (!store.GetKeyValue(KeyRoot::LocalMachine, FolderKey, FolderValue, text)) return QString();
    const QString path = QString::fromStdString(text) + QStringLiteral("\\MSINFO32.EXE");
    return QFileInfo(LocalPath(path)).isFile() ? path : QString();
}

// The About box's labels wrap their text from the top left.
QLabel* MakeAboutLabel(QWidget* parent, const char* name, const QString& text, int l, int t, int w, int h,
                       bool blackText) {
    QLabel* label = MakeLabel(parent, name, text, l, t, w, h, false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    if (blackText) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(pal);
    }
    return label;
}

// One line of the separator: a filled strip of the given colour.
QFrame* MakeLine(QWidget* parent, int index, const QRect& geometry, QRgb colour) {
    auto* line = new QFrame(parent);
    line->setObjectName("Line1");
    line->setProperty("index", index);
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(colour));
    line->setPalette(pal);
    return line;
}

}  // namespace

AboutBox::AboutBox(QWidget* owner, QMenu* menu, const SettingsStore& store, const WindowServices& services)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      store_(store),
      services_(services) {
    setObjectName("frmAbout");
    setModal(false);
    setSizeGripEnabled(false);
    setFont(DialogFont());
    createControls(menu);

    setWindowTitle(QStringLiteral("About ") + AppTitle());
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(version::Major)
                            .arg(version::Minor)
                            .arg(version::Patch));
    lblTitle->setText(AppTitle());

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this,
            [this] { RunGuarded(this, services_.showError, [this] { cmdSysInfo_Click(); }); });
}

void AboutBox::createControls(QMenu* menu) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The dialog takes exactly the size of the menu bar and the client area.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    menuBar = new QMenuBar(this);
    menuBar->setObjectName("menuBar");
    // Kept inside the window, so the client area always lies below it.
    menuBar->setNativeMenuBar(false);
    // The main window keeps the menu; the bar only shows it.
    menuBar->addMenu(menu);
    layout->setMenuBar(menuBar);

    client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(382, 237);
    layout->addWidget(client);

    picIcon = new QLabel(client);
    picIcon->setObjectName("picIcon");
    picIcon->setGeometry(16, 16, 36, 36);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(ProgramIcon());

    cmdOK = MakeButton(client, "cmdOK", QStringLiteral("OK"), 283, 175, 84, 23);
    cmdOK->setAutoDefault(true);
    cmdOK->setDefault(true);
    cmdSysInfo = MakeButton(client, "cmdSysInfo", QStringLiteral("&System Info..."), 284, 205, 83, 23);
    Line1[1] = MakeLine(client, 1, QRect(6, 163, 371, 1), 0x808080);
    lblDescription = MakeAboutLabel(client, "lblDescription", QStringLiteral("App Description"), 70, 75, 259,
                               78, true);
    lblTitle = MakeAboutLabel(client, "lblTitle", QString(), 70, 16, 259, 32, true);
    Line1[0] = MakeLine(client, 0, QRect(7, 164, 370, 2), 0xFFFFFF);
    lblVersion = MakeAboutLabel(client, "lblVersion", QString(), 70, 52, 259, 15, false);
    lblDisclaimer = MakeAboutLabel(client, "lblDisclaimer", QStringLiteral("Warning: ..."), 17, 175, 258, 55,
                              true);

    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();
}

QString AboutBox::AppTitle() { return QStringLiteral("Tovik"); }

QString AboutBox::UnavailableMessage() {
    return QStringLiteral("System Information Is Unavailable At This Time");
}

void AboutBox::cmdOK_Click() { close(); }

void AboutBox::cmdSysInfo_Click() { StartSysInfo(); }

void AboutBox::StartSysInfo() {
    try {
        const QString tool = LocateSysInfo(store_);
        if (!tool.isEmpty() && services_.startProgram(tool)) return;
    } catch (const std::exception&) {
        // Whatever went wrong, the tool is unavailable: say so below.
    }
    services_.showMessage(this, AppTitle(), UnavailableMessage());
}

}  // namespace tovik
