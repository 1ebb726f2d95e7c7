#pragma once
// TfrmAbout: the About box. Crimson bands, the square pattern, the program's icon, title and
// version, the product-site links, the memory figures from /proc/meminfo and the program and
// data folders. Closes with Cancel on "Close", on releasing Escape, on Enter, and when the
// application loses the focus to another program.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // The folders are the program's ProgramFolder and AppDataFolder.
    TfrmAbout(const QString &programFolder, const QString &appDataFolder, QWidget *parent = nullptr);

    // The version of the build: major.minor.release.build.
    static QString GetAppVersion();
    // The edition and version line followed by the two lines of the maker's notice.
    static QString VersionText();
    // "1,234,567 KB" and "37 %" from /proc/meminfo ("N/A" when it cannot be read).
    static QString MemoryAvailableText();
    static QString SystemResourcesText();

    QLabel *lblTitle() const { return lblTitle_; }
    QLabel *lblVersion() const { return lblVersion_; }
    QLabel *lblMemory() const { return lblMemory_; }
    QLabel *lblResources() const { return lblResources_; }
    QLineEdit *edtAppFolder() const { return edtAppFolder_; }
    QLineEdit *edtAppDataFolder() const { return edtAppDataFolder_; }
    QPushButton *btnClose() const { return btnClose_; }

public Q_SLOTS:
    void reject() override;  // Cancel (2)

protected:
    void paintEvent(QPaintEvent *event) override;  // the square pattern
    void showEvent(QShowEvent *event) override;   // fills the texts each time it is shown

private:
    void FormActivate();

    QString programFolder_;
    QString appDataFolder_;
    QLabel *lblTitle_ = nullptr;
    QLabel *lblVersion_ = nullptr;
    QLabel *lblMemory_ = nullptr;
    QLabel *lblResources_ = nullptr;
    QLineEdit *edtAppFolder_ = nullptr;
    QLineEdit *edtAppDataFolder_ = nullptr;
    QPushButton *btnClose_ = nullptr;
    bool wasActive_ = false;
};

// Creates, shows modally, destroys; returns the result. While one is open, closes that one
// as Cancel instead and returns 0.
int ShowAbout(const QString &programFolder, const QString &appDataFolder, QWidget *parent = nullptr);
