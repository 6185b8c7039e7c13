#pragma once

#include <functional>

#include <QObject>

// The sender of an event, as every event handler receives it.
using TObject = QObject;

// Runs one event handler inside the program's error boundary: an error it
// raises is caught here, before it can unwind through the toolkit's frames,
// and shown through Application->ShowException; the program then goes on.
void RunGuarded(const std::function<void()>& handler) noexcept;

// Binds a control's event to a window's handler method. Every event of every
// window goes through here, so every handler runs inside RunGuarded. The
// signal's own arguments are dropped: handlers read what they need from the
// sender, as in void TForm1::Button2Click(TObject* Sender).
template <class SenderType, class Signal, class FormType>
QMetaObject::Connection Bind(SenderType* sender, Signal signal, FormType* form,
                             void (FormType::*handler)(TObject* Sender)) {
    TObject* senderObject = sender;
    return QObject::connect(sender, signal, form, [form, handler, senderObject] {
        RunGuarded([form, handler, senderObject] { (form->*handler)(senderObject); });
    });
}
