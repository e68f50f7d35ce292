#pragma once

#include <QString>
#include <exception>

class QWidget;

namespace korvath::ui {

// Shows a failed handler's message in a modal critical box titled "Korvath".
void ShowError(QWidget* parent, const QString& text) noexcept;

// Runs the body of an event handler. An exception must never cross Qt's event loop, so any
// error is shown here and the rest of the handler is abandoned.
template <typename Body>
void RunGuarded(QWidget* parent, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    ShowError(parent, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowError(parent, QString());
  }
}

}  // namespace korvath::ui
