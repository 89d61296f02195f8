#pragma once

#include <QString>

#include <stdexcept>

namespace model {

// Base of every exception the album model throws. The message is the text the
// user sees; it is kept as UTF-8 in what() and as a QString in message().
class ModelError : public std::runtime_error {
public:
    explicit ModelError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// An XML file that cannot be parsed or lacks what it must hold.
class XmlLoadError : public ModelError {
public:
    using ModelError::ModelError;
};

// A text that cannot be converted to the value it must hold.
class ConversionError : public ModelError {
public:
    using ModelError::ModelError;
};

// A picture that cannot be decoded, encoded or sized.
class PictureError : public ModelError {
public:
    using ModelError::ModelError;
};

// A file or folder that cannot be read, written, copied or removed.
class FileError : public ModelError {
public:
    using ModelError::ModelError;
};

// A file that could not be written because its disk is full.
class DiskFullError : public FileError {
public:
    DiskFullError(const QString& message, const QString& path) : FileError(message), path_(path) {}
    const QString& path() const noexcept { return path_; }

private:
    QString path_;
};

} // namespace model
