// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// A program folder of its own holding face.txt with these bytes, where the picker reads it while
// the object lives.
class FaceFolder
{
public:
    explicit FaceFolder(const QByteArray &faceTxt);
    ~FaceFolder();
    bool isValid() const { return m_valid; }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};
