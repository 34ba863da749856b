// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the platform layers: a number in the style of the
// classic runtime's error numbers and an Italian description for the learner.
class PlatformError : public std::runtime_error {
public:
    PlatformError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

    // Error numbers used by the program.
    static constexpr int FileNotFound = 53;
    static constexpr int InvalidPicture = 481;
    static constexpr int TypeMismatch = 13;
    static constexpr int InvalidUseOfNull = 94;
    static constexpr int NoCurrentRecord = 3021;
    static constexpr int ItemNotFound = 3265;
    static constexpr int CannotOpenDatabase = 3051;
    static constexpr int NotADatabase = 3343;
    static constexpr int WrongPassword = 3031;
    static constexpr int TableNotFound = 3078;
    static constexpr int Overflow = 6;

private:
    int m_number;
    QString m_description;
};
