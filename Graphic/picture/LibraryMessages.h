#pragma once

#include <QString>
#include <QtGlobal>

// While one lives, what Qt and the image libraries under it print on this
// thread (libpng's warnings, "QBuffer::seek: Invalid pos", ...) is kept
// from the terminal; the last of it can explain a refusal when Qt's own
// reason says nothing. Other threads' messages pass on to the handler in
// place before. Lifetimes may overlap on any threads.
class LibraryMessages {
  public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    // The last message kept, empty when there was none.
    const QString& last() const { return mLast; }

  private:
    static void keep(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QString mLast;
    LibraryMessages* mOuter; // the one this thread had before, if any
};
