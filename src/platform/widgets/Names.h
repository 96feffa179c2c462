// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What a screen reader says for the controls that several windows share, and the caption the
// main and mini windows share, so that a window cannot name the same thing differently.
namespace widgets::name {
inline const QString Caption = QStringLiteral("Quillora");
inline const QString Body = QStringLiteral("本文");
inline const QString ShortText = QStringLiteral("短文");
inline const QString Face = QStringLiteral("顔文字");
} // namespace widgets::name
