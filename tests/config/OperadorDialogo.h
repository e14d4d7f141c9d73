// Acts on a modal dialog from inside its own event loop, once it is shown.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <chrono>
#include <functional>

namespace kovrinta::test {

// Polls until dialogo is the active modal window, then runs acao once. A watchdog rejects
// the dialog after prazo, so a test whose action never closes it fails instead of hanging.
class OperadorDialogo {
 public:
  OperadorDialogo(QDialog &dialogo, std::function<void()> acao,
                  std::chrono::milliseconds prazo = std::chrono::seconds(5))
      : dialogo_(dialogo), acao_(std::move(acao)) {
    sonda_.setInterval(5);
    QObject::connect(&sonda_, &QTimer::timeout, [this] {
      if (!dialogo_.isVisible() || QApplication::activeModalWidget() != &dialogo_) return;
      sonda_.stop();
      agiu_ = true;
      acao_();
    });
    vigia_.setSingleShot(true);
    vigia_.setInterval(prazo);
    QObject::connect(&vigia_, &QTimer::timeout, [this] {
      if (!dialogo_.isVisible()) return;
      estourou_ = true;
      dialogo_.reject();
    });
    sonda_.start();
    vigia_.start();
  }

  // Whether the action ran, and whether the watchdog had to close the dialog.
  bool agiu() const { return agiu_; }
  bool estourou() const { return estourou_; }

 private:
  QDialog &dialogo_;
  std::function<void()> acao_;
  QTimer sonda_;
  QTimer vigia_;
  bool agiu_ = false;
  bool estourou_ = false;
};

}  // namespace kovrinta::test
