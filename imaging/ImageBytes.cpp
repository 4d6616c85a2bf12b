// Image files to bytes and back.

#include "ImgOper.h"
#include "core/WholeFile.h"

#include "core/FileOper.h"

#include <QFile>

#include <exception>
#include <stdexcept>

QByteArray TImgOper::ImgPathToByte(const QString &fileName) {
    try {
        if (!QFile::exists(fileName)) {
            return {};
        }
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            throw std::runtime_error(file.errorString().toStdString());
        }
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            throw std::runtime_error(file.errorString().toStdString());
        }
        return bytes;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("将图片文件转化byte数组时失败,TImgOper->ImgPathToByte中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return {};
}

bool TImgOper::SaveImgInfo(const QString &fileName, const QByteArray &bytes, QString *error,
                           WholeFileSync sync) {
    try {
        if (bytes.isEmpty()) {
            if (error != nullptr) {
                *error = QStringLiteral("no bytes to write");
            }
            return false;
        }
        WriteWholeFile(fileName, bytes, sync);
        return true;
    } catch (const std::exception &e) {
        const QString reason = QString::fromUtf8(e.what());
        TFileOper::WriteLog(QStringLiteral("将byte数组保存为图片文件时失败,TImgOper->SaveImgInfo中错误:") +
                            reason);
        if (error != nullptr) {
            *error = reason;
        }
    }
    return false;
}
