#pragma once

// Template packages made at test time: a "package.xml" and one folder per template, plus
// whatever hostile members a test adds.

#include "tests/zip/TestArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace packagetest {

struct TemplateEntry {
    std::string id;
    std::string name;
};

inline std::string PackageXml(const std::string& id, const std::string& name,
                              const std::vector<TemplateEntry>& templates) {
    std::string xml =
        "<?xml version=\"1.0\"?>\r\n<package id=\"" + id + "\" name=\"" + name + "\">\r\n";
    for (const TemplateEntry& t : templates)
        xml += "\t<template id=\"" + t.id + "\" name=\"" + t.name + "\" description=\"About " +
               t.name + "\"/>\r\n";
    return xml + "</package>\r\n";
}

// The files of a template folder as the library expects them; the contents name the template
// and the version so that tests can tell an old install from a new one.
inline std::vector<ziptest::Member> TemplateMembers(const std::string& folder,
                                                    const std::string& version = "1") {
    const std::string tag = folder + " v" + version;
    return {
        {folder + "/", {}, 0, {}, true},
        {folder + "/album.xml",
         ziptest::Bytes("<?xml version=\"1.0\"?>\r\n<setting id=\"" + folder +
                        "\" width=\"600\" height=\"400\"><level id=\"*\"/></setting>\r\n")},
        {folder + "/data.xml", ziptest::Bytes("<photogallery/>\r\n")},
        {folder + "/index.swf", ziptest::Bytes("player " + tag)},
        {folder + "/skin/thumb.jpg", ziptest::Bytes("thumb " + tag)},
    };
}

// A name our writer refuses to store: one that climbs out or starts at a root.
inline bool IsUnsafeName(const std::string& name) {
    const std::string n = "/" + name + "/";
    return name.empty() || name[0] == '/' || name[0] == '\\' ||
           n.find("/../") != std::string::npos || n.find("\\..\\") != std::string::npos ||
           (name.size() > 1 && name[1] == ':');
}

// Packages come from the real writer; those with hostile names from Python's zipfile, which
// stores any name as given.
inline void WriteArchive(const QString& path, const std::vector<ziptest::Member>& members) {
    bool hostile = false;
    for (const ziptest::Member& m : members)
        hostile = hostile || IsUnsafeName(m.Name);
    const std::vector<uint8_t> bytes =
        hostile ? ziptest::PythonArchive(members) : ziptest::WriterArchive(members);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A package with package.xml listing templates, and the folders of those in folders.
inline void WritePackage(const QString& path, const std::string& xml,
                         const std::vector<std::string>& folders,
                         std::vector<ziptest::Member> extra = {},
                         const std::string& version = "1") {
    std::vector<ziptest::Member> members;
    if (!xml.empty())
        members.push_back({"package.xml", ziptest::Bytes(xml)});
    for (const std::string& folder : folders)
        for (ziptest::Member& m : TemplateMembers(folder, version))
            members.push_back(std::move(m));
    for (ziptest::Member& m : extra)
        members.push_back(std::move(m));
    WriteArchive(path, members);
}

// Every file and folder below root, relative to it, sorted.
inline QStringList TreeOf(const QString& root) {
    QStringList out;
    QDir dir(root);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : entries) {
        out << info.fileName();
        if (info.isDir() && !info.isSymLink())
            for (const QString& inner : TreeOf(info.filePath()))
                out << info.fileName() + u'/' + inner;
    }
    return out;
}

} // namespace packagetest
