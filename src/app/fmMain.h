#pragma once
// TfrmMain: the main window. It owns everything the running instance shows and wires the
// user's input to the operations of the wall.

#include <QByteArray>
#include <QStringList>
#include <QWidget>

#include <functional>

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Reads the hand-off key and loads what it names.
    void LoadFromParams();

    // What LoadFromParams took from the hand-off key, in order, over the window's life (the
    // paths that exist; the wall itself comes with the scene).
    const QStringList &ParamsPaths() const { return paramsPaths_; }
    int LoadFromParamsCalls() const { return loadFromParamsCalls_; }

    // Error boxes go through here, so tests can answer them.
    static std::function<void(QWidget *parent, const QString &text)> ShowErrorBox;

public Q_SLOTS:
    // The hand-off message of a later start: restore or raise the window, then LoadFromParams.
    void WMLoadParams(const QByteArray &activationToken);

private:
    void FormCreate();

    QStringList paramsPaths_;
    int loadFromParamsCalls_ = 0;
};
