#pragma once
// Small pieces the window tests share.

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include "engine/RunState.h"
#include "tests/support/QtPrinters.h"

namespace velmora::test {

template <typename T>
T* Child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void Click(QWidget* window, const char* button) {
    Child<QPushButton>(window, button)->click();
}

inline void Fill(StatementList& list, const QStringList& lines) {
    for (const QString& line : lines) list.append(line);
}

inline QStringList Texts(const StatementList& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) texts << list.text(i);
    return texts;
}

inline QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

}  // namespace velmora::test
