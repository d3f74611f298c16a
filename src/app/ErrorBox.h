#pragma once

#include <QString>
#include <functional>

class QWidget;

// The standard error box: how the program shows an exception that escaped an event handler or
// a poll tick. The program goes on afterwards.
void ShowErrorBox(const QString& message, QWidget* parent = nullptr);

// Replaces the box (tests record the messages instead of showing a modal box); an empty
// function restores it.
using ErrorBoxHandler = std::function<void(const QString& message)>;
void SetErrorBoxHandler(ErrorBoxHandler handler);
