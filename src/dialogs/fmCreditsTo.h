#pragma once
// TfrmCreditsTo: the Credits box, naming the open-source libraries Orvanta is built on with a
// link to each one's web site, and the product-site link rows. Closes with Cancel on "Close",
// on releasing Escape and on Enter.

#include <QDialog>
#include <QString>

#include <span>

class QPushButton;

struct CreditEntry {
    const char *authors;
    const char *library;
    const char *address;
};

class TfrmCreditsTo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCreditsTo(QWidget *parent = nullptr);

    static std::span<const CreditEntry> Credits();
    QPushButton *btnClose() const { return btnClose_; }

public Q_SLOTS:
    void reject() override;  // Cancel (2)

private:
    QPushButton *btnClose_ = nullptr;
};

int ShowCredits(QWidget *parent = nullptr);
