#include "publish/ftp/FtpPaths.h"
#include "publish/ftp/RemoteListing.h"

#include <gtest/gtest.h>

#include <QUrl>

using publish::FtpPaths;
using publish::RemoteEntry;
using publish::RemoteListingParser;

TEST(FtpPaths, ListLinesKeepNamesVerbatim) {
    struct Case {
        const char* line;
        const char* name;
        bool folder;
    } const cases[] = {
        {"drwxr-xr-x 2 u g 4096 Jan 1 00:00 my  folder", "my  folder", true},
        {"-rw-r--r--   1 owner group 12 Mar 03  2020 a,b \"c\".jpg", "a,b \"c\".jpg", false},
        {"drwxr-xr-x\t2 u g 4096 Jan 1 00:00 tabbed", "tabbed", true},
        {"-rw-r--r-- 1 u g 5 Jan 1 00:00  leading blank", "leading blank", false},
        {"-rw-r--r-- 1 u g 5 Jan 1 00:00 crlf.txt\r", "crlf.txt", false},
        {"dr-x 1 2 3 4 5 6 7", "", true},                // eight fields: no name
        {"01-01-20  10:00AM  <DIR>  Folder", "", false}, // another listing style: no name
        {"", "", false},
    };
    for (const Case& c : cases) {
        const RemoteEntry e = RemoteListingParser::parseLine(QString::fromUtf8(c.line));
        EXPECT_EQ(e.name, QString::fromUtf8(c.name)) << c.line;
        EXPECT_EQ(e.isDirectory, c.folder) << c.line;
    }
}

TEST(FtpPaths, ListingDropsDotsAndPutsFoldersFirstInLineOrder) {
    const QStringList lines{"-rw-r--r-- 1 u g 1 Jan 1 00:00 z.txt",
                            "drwxr-xr-x 2 u g 1 Jan 1 00:00 .",
                            "drwxr-xr-x 2 u g 1 Jan 1 00:00 ..",
                            "drwxr-xr-x 2 u g 1 Jan 1 00:00 b",
                            "-rw-r--r-- 1 u g 1 Jan 1 00:00 a.txt",
                            "drwxr-xr-x 2 u g 1 Jan 1 00:00 A",
                            "total 12"};
    const publish::RemoteListing expected{
        {"b", true}, {"A", true}, {"z.txt", false}, {"a.txt", false}};
    const publish::RemoteListing parsed = RemoteListingParser::parse(lines);
    EXPECT_EQ(parsed, expected);
}

TEST(FtpPaths, ResultAddresses) {
    struct Case {
        const char* address;
        bool replacePage;
        const char* remoteFolder;
        const char* url;
        const char* suggestion;
    } const cases[] = {
        {"http://h/www/index.html", true, "/www/", "http://h/www/photogallery.htm",
         "http://h/www/photogallery.htm"},
        {"http://h/public_html/x/index.html", true, "/public_html/x/",
         "http://h/public_html/x/photogallery.htm", "http://h/x/photogallery.htm"},
        {"http://h/htdocs/a/htdocs/index.html", true, "/",
         "http://h/htdocs/a/htdocs/photogallery.htm", "http://h/a/photogallery.htm"},
        {"", false, "/www/", "http://h/www/photogallery.htm", "http://h/www/photogallery.htm"},
        {"http://", false, "/", "http://h/photogallery.htm", "http://h/photogallery.htm"},
        {"http://h/site", false, "/", "http://h/site/", "http://h/site/"},
        {"http://h/a.php", false, "/", "http://h/a.php", "http://h/a.php"},
        {"http://www.example.com", false, "/", "http://www.example.com", "http://www.example.com"},
    };
    for (const Case& c : cases) {
        const publish::ResultUrls r =
            FtpPaths::resultUrls(c.address, c.replacePage, "h", c.remoteFolder);
        EXPECT_EQ(r.url, QString::fromUtf8(c.url)) << c.address;
        EXPECT_EQ(r.suggestion, QString::fromUtf8(c.suggestion)) << c.address;
    }
}

TEST(FtpPaths, SmallRoutines) {
    const std::pair<const char*, int> ports[] = {{"21", 21}, {"2121", 2121},  {"70000", 21},
                                                 {"0", 21},  {"-5", 21},      {"x", 21},
                                                 {"", 21},   {"65535", 65535}};
    for (const auto& [text, port] : ports)
        EXPECT_EQ(FtpPaths::strToFtpPort(text), port) << text;

    const std::pair<const char*, const char*> remote[] = {
        {"", "/"}, {"www", "/www/"}, {"/www", "/www/"}, {"a\\b", "/a/b/"}, {"/x/", "/x/"}};
    for (const auto& [in, out] : remote)
        EXPECT_EQ(FtpPaths::ensureSlashedRemotePath(in), QString::fromUtf8(out)) << in;

    EXPECT_EQ(FtpPaths::maskPassword("p4ss"), "****");
    EXPECT_EQ(FtpPaths::maskPassword(""), "");
    EXPECT_EQ(FtpPaths::joinRemote("/", "n"), "/n"); // not "//n" at the root
    EXPECT_EQ(FtpPaths::joinRemote("/a", "n"), "/a/n");

    const std::pair<const char*, bool> names[] = {
        {"photos", true}, {"my photos", true}, {".", false},    {"..", false},
        {"a/b", false},   {"a\\b", false},     {"a\rb", false}, {"", false}};
    for (const auto& [name, ok] : names)
        EXPECT_EQ(FtpPaths::isPlainFolderName(name), ok) << name;

    const std::pair<const char*, bool> links[] = {{"http://h/x.htm", true},
                                                  {" https://h/ ", true},
                                                  {"file:///etc/passwd", false},
                                                  {"/usr/bin/xterm", false},
                                                  {"javascript:alert(1)", false},
                                                  {"ftp://h/", false},
                                                  {"", false}};
    for (const auto& [text, ok] : links)
        EXPECT_EQ(FtpPaths::isWebAddress(text), ok) << text;
}

TEST(FtpPaths, DirectionControlsInNamesAreShownNotObeyed) {
    struct Case {
        const char16_t* name;
        const char16_t* shown;
    } const cases[] = {
        {u"photo\u202Egpj.exe", u"photo<U+202E>gpj.exe"},
        {u"a\u202Ab\u202Bc\u202Cd\u202De", u"a<U+202A>b<U+202B>c<U+202C>d<U+202D>e"},
        {u"\u2066x\u2067y\u2068z\u2069", u"<U+2066>x<U+2067>y<U+2068>z<U+2069>"},
        {u"\u200E\u200F\u061C", u"<U+200E><U+200F><U+061C>"},
        {u"/www/\u202E/", u"/www/<U+202E>/"},
        {u"plain \u00F1ame.jpg", u"plain \u00F1ame.jpg"},
        {u"\u05D0\u05D1.jpg", u"\u05D0\u05D1.jpg"}, // right-to-left letters are names
        {u"\u2029\u2065\u206A\u202F", u"\u2029\u2065\u206A\u202F"}, // neighbours stay
    };
    for (const Case& c : cases)
        EXPECT_EQ(FtpPaths::visibleName(QString::fromUtf16(c.name)), QString::fromUtf16(c.shown));
}

TEST(FtpPaths, AddressesOfAnyFolderNameAreValidWebAddresses) {
    struct Case {
        const char16_t* folder;
        const char* url;
    } const cases[] = {
        {u"/site \u00fc dir/", "http://h/site%20%C3%BC%20dir/photogallery.htm"},
        {u"/a#b/c?d/", "http://h/a%23b/c%3Fd/photogallery.htm"},
        {u"/50%/", "http://h/50%25/photogallery.htm"},
        {u"/", "http://h/photogallery.htm"},
        {u"/www/x-y_z.~/", "http://h/www/x-y_z.~/photogallery.htm"},
    };
    for (const Case& c : cases) {
        const QString folder = QString::fromUtf16(c.folder);
        const publish::ResultUrls urls = FtpPaths::resultUrls("", true, "h", folder);
        EXPECT_EQ(urls.url, QString::fromLatin1(c.url)) << folder.toStdString();
        EXPECT_TRUE(FtpPaths::isWebAddress(urls.url)) << urls.url.toStdString();
        EXPECT_EQ(QUrl(urls.url).path(), folder + "photogallery.htm");
    }
}

TEST(FtpPaths, AddressesOfAnyHostOpen) {
    struct Case {
        const char16_t* host;
        const char16_t* url;
        const char16_t* urlHost; // as the browser is handed it
    } const cases[] = {
        {u"::1", u"http://[::1]/www/photogallery.htm", u"::1"},
        {u" 2001:db8::7 ", u"http://[2001:db8::7]/www/photogallery.htm", u"2001:db8::7"},
        {u"127.0.0.1", u"http://127.0.0.1/www/photogallery.htm", u"127.0.0.1"},
        {u" ftp.example.org ", u"http://ftp.example.org/www/photogallery.htm", u"ftp.example.org"},
        {u"b\u00fccher.example", u"http://b\u00fccher.example/www/photogallery.htm",
         u"xn--bcher-kva.example"},
    };
    for (const Case& c : cases) {
        const publish::ResultUrls urls =
            FtpPaths::resultUrls("", true, QString::fromUtf16(c.host), "/www/");
        EXPECT_EQ(urls.url, QString::fromUtf16(c.url));
        EXPECT_TRUE(FtpPaths::isWebAddress(urls.url)) << urls.url.toStdString();
        EXPECT_EQ(QUrl(urls.url).host(), QString::fromUtf16(c.urlHost));
    }
}
