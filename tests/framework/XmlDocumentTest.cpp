#include "framework/Xmldocument.h"

#include "framework/Exception.h"
#include "framework/IXMLElement.h"
#include "framework/IXMLNamedNodeMap.h"
#include "framework/IXMLNode.h"
#include "framework/IXMLNodeList.h"
#include "framework/IXMLText.h"
#include "tests/platform/shell/WithoutRoot.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string notFound = "指定されたタグが見つかりません。";
const std::string noChild = "このノードは子ノードを持っていません。";

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

template <typename Raised, typename Call>
std::string messageOf(Call call) {
    try {
        call();
    } catch (const Raised& raised) {
        return raised.getMessage();
    }
    ADD_FAILURE() << "nothing was raised";
    return std::string();
}

class XmlDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("xmldocument-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string file(const std::string& name, const std::string& contents) {
        const std::string path = (folder / name).string();
        writeBytes(path, contents);
        return path;
    }

    fs::path folder;
};

}  // namespace

TEST_F(XmlDocumentTest, LookupsTakeTheFirstElementInDocumentOrderAtAnyDepth) {
    XMLDocument document("ignored");
    document.parse(file("order.xml",
                        "<settings><group><deep><x>deep</x></deep></group><x>shallow</x></settings>"));

    EXPECT_EQ(document.getValueByTagName("x"), "deep");
    EXPECT_EQ(document.getElementsByTagName("x")->getLength(), 2u);
    // "*" matches every element, so the first is the root; the root name of the file counts,
    // not the one given at construction.
    EXPECT_EQ(document.getNodeByTagName("*")->getNodeName(), "settings");
    EXPECT_EQ(document.getNodeByTagName("*"), document.getNodeByTagName("settings"));
    EXPECT_EQ(document.getElementsByTagName("*")->getLength(), 5u);

    EXPECT_EQ(messageOf<XMLException>([&] { document.getNodeByTagName("missing"); }), notFound);
    EXPECT_EQ(messageOf<XMLException>([&] { document.getValueByTagName("ignored"); }), notFound);
}

TEST_F(XmlDocumentTest, OneNodeAlwaysComesBackAsTheSamePointer) {
    XMLDocument document("root");
    IXMLElement* root = document.getDocumentElement();
    EXPECT_EQ(document.getDocumentElement(), root);

    IXMLElement* child = document.createElement("child");
    IXMLText* text = document.createTextNode("value");
    root->appendChild(child);
    child->appendChild(text);

    IXMLNode* byTag = document.getNodeByTagName("child");
    EXPECT_EQ(byTag, static_cast<IXMLNode*>(child));
    EXPECT_EQ(root->getFirstChild(), byTag);
    EXPECT_EQ(root->getChildNodes()->item(0), byTag);
    EXPECT_EQ(document.getElementsByTagName("child")->item(0), byTag);
    EXPECT_EQ(byTag->getFirstChild(), static_cast<IXMLNode*>(text));
    EXPECT_EQ(document.getElementsByTagName("child"), document.getElementsByTagName("child"));
    EXPECT_EQ(root->getChildNodes(), root->getChildNodes());
    EXPECT_EQ(root->getAttributes(), root->getAttributes());
}

TEST_F(XmlDocumentTest, ValuesAreTheTextOfTheFirstChild) {
    XMLDocument document("root");
    IXMLElement* flag = document.createElement("flag");
    document.getDocumentElement()->appendChild(flag)->appendChild(document.createTextNode("old"));

    document.setValueByTagName("flag", "new");
    EXPECT_EQ(document.getValueByTagName("flag"), "new");
    document.setBooleanByTagName("flag", false);
    EXPECT_EQ(document.getValueByTagName("flag"), "false");
    EXPECT_FALSE(document.getBooleanByTagName("flag"));
    document.setBooleanByTagName("flag", true);
    EXPECT_EQ(document.getValueByTagName("flag"), "true");
    EXPECT_TRUE(document.getBooleanByTagName("flag"));
}

TEST_F(XmlDocumentTest, OnlyTheExactTextTrueIsTrue) {
    const struct {
        const char* text;
        bool expected;
    } cases[] = {{"true", true},  {"True", false}, {"TRUE", false}, {" true", false},
                 {"true ", false}, {"1", false},   {"yes", false},  {"truex", false}};
    for (const auto& c : cases) {
        XMLDocument document("root");
        document.getDocumentElement()->appendChild(document.createElement("flag"))->appendChild(
            document.createTextNode(c.text));
        EXPECT_EQ(document.getBooleanByTagName("flag"), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(XmlDocumentTest, AnElementWithEmptyContentHasNoChild) {
    XMLDocument document("root");
    document.parse(file("empty.xml", "<root><open></open><closed/></root>"));
    for (const char* tag : {"open", "closed"}) {
        EXPECT_EQ(messageOf<XMLException>([&] { document.getValueByTagName(tag); }), noChild) << tag;
        EXPECT_EQ(messageOf<XMLException>([&] { document.setValueByTagName(tag, "x"); }), noChild)
            << tag;
        EXPECT_EQ(messageOf<XMLException>([&] { document.getBooleanByTagName(tag); }), noChild) << tag;
    }

    // An element saved with an empty text comes back without a child.
    XMLDocument written("root");
    written.getDocumentElement()->appendChild(written.createElement("value"))->appendChild(
        written.createTextNode(""));
    const std::string path = (folder / "written.xml").string();
    written.serialize(path);
    XMLDocument read("");
    read.parse(path);
    EXPECT_EQ(messageOf<XMLException>([&] { read.getValueByTagName("value"); }), noChild);
}

TEST_F(XmlDocumentTest, AMissingFileRaisesIOExceptionAndKeepsTheOldTree) {
    XMLDocument document("root");
    document.parse(file("good.xml", "<root><value>kept</value></root>"));
    IXMLNode* value = document.getNodeByTagName("value");

    const std::string missing = (folder / "nowhere" / "config.xml").string();
    const std::string message = messageOf<IOException>([&] { document.parse(missing); });
    EXPECT_EQ(message, missing + "を読み込めません。存在を確認した上で、再度起動してください。");

    // A folder opens but is no file to read either.
    EXPECT_EQ(messageOf<IOException>([&] { document.parse(folder.string()); }),
              folder.string() + "を読み込めません。存在を確認した上で、再度起動してください。");

    EXPECT_EQ(value->getFirstChild()->getNodeValue(), "kept");
    EXPECT_EQ(document.getNodeByTagName("value"), value);
}

TEST_F(XmlDocumentTest, AFileThatIsNotWellFormedIsReportedAndTheOldTreeStays) {
    const struct {
        const char* name;
        const char* contents;
    } cases[] = {
        {"empty", ""},
        {"declaration only", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"},
        {"truncated", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glintfetch>\n  <file_options>\n  "
                      "  <per_file>tr"},
        {"unclosed root", "<root><a>x</a>"},
        {"mismatched tags", "<root><a>x</b></root>"},
        {"not xml", "just some text"},
        {"two roots", "<a/><b/>"},
    };
    for (const auto& c : cases) {
        XMLDocument document("root");
        document.parse(file("good.xml", "<root><value>kept</value></root>"));
        IXMLNode* value = document.getNodeByTagName("value");

        const std::string path = file("broken.xml", c.contents);
        EXPECT_EQ(messageOf<XMLException>([&] { document.parse(path); }),
                  path + "が壊れています。削除した上で再度起動してください。")
            << c.name;
        EXPECT_EQ(document.getNodeByTagName("value"), value) << c.name;
        EXPECT_EQ(value->getFirstChild()->getNodeValue(), "kept") << c.name;
    }
}

TEST_F(XmlDocumentTest, ASuccessfulParseReplacesTheTree) {
    XMLDocument document("glintfetch");
    document.getDocumentElement()->appendChild(document.createElement("old"));
    document.parse(file("new.xml", "<other><new>yes</new></other>"));

    EXPECT_EQ(document.getDocumentElement()->getNodeName(), "other");
    EXPECT_EQ(document.getValueByTagName("new"), "yes");
    EXPECT_EQ(messageOf<XMLException>([&] { document.getNodeByTagName("old"); }), notFound);
}

TEST_F(XmlDocumentTest, ADocumentWithoutARootNameHasNoTreeUntilAParse) {
    XMLDocument document("");
    EXPECT_EQ(document.getErrorMessage(), "XML作成時にエラーが発生しました。再度起動し直してください。");
    // Nothing to serve: failures of the framework rather than a crash.
    EXPECT_THROW(document.getNodeByTagName("a"), XMLException);
    EXPECT_THROW(document.getDocumentElement(), XMLException);
    EXPECT_THROW(document.serialize((folder / "none.xml").string()), XMLException);
    EXPECT_FALSE(fs::exists(folder / "none.xml"));

    document.parse(file("tree.xml", "<root><a>1</a></root>"));
    EXPECT_EQ(document.getValueByTagName("a"), "1");

    EXPECT_EQ(XMLDocument("1st").getErrorMessage(),
              "XML作成時にエラーが発生しました。再度起動し直してください。");
    EXPECT_EQ(XMLDocument("root").getErrorMessage(), "");
}

TEST_F(XmlDocumentTest, SerializeWritesPrettyPrintedUtf8) {
    XMLDocument document("glintfetch");
    IXMLElement* options = document.createElement("file_options");
    document.getDocumentElement()->appendChild(options);
    options->appendChild(document.createElement("per_file"))->appendChild(document.createTextNode("true"));
    const std::string path = (folder / "config.xml").string();
    document.serialize(path);

    const std::string written = readBytes(path);
    EXPECT_EQ(written.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u) << written;
    EXPECT_NE(written.find("\n  <file_options>"), std::string::npos) << written;
    EXPECT_NE(written.find("<per_file>true</per_file>"), std::string::npos) << written;

    // Saving what was loaded gives the same file again, so repeated saves do not drift.
    XMLDocument reread("");
    reread.parse(path);
    const std::string again = (folder / "again.xml").string();
    reread.serialize(again);
    EXPECT_EQ(readBytes(again), written);
}

TEST_F(XmlDocumentTest, JapaneseTextsAttributesAndFileNamesRoundTripWhateverTheLocale) {
    // The conversions must not go through the locale: the plain C locale cannot spell any of this.
    const std::string savedLocale = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    struct RestoreLocale {
        const std::string& name;
        ~RestoreLocale() { std::setlocale(LC_ALL, name.c_str()); }
    } restore{savedLocale};
    const std::string text = "抽出した画像 ①～⑩ と \"<&>'\" 🎵";
    const std::string attribute = "プラグイン・ＩＤ";
    const fs::path japaneseFolder = folder / "設定フォルダ";
    fs::create_directories(japaneseFolder);
    const std::string path = (japaneseFolder / "設定.xml").string();

    XMLDocument document("glintfetch");
    IXMLElement* plugin = document.createElement("プラグイン");
    plugin->setAttribute("id", attribute);
    plugin->appendChild(document.createTextNode(text));
    document.getDocumentElement()->appendChild(plugin);
    document.serialize(path);

    const std::string written = readBytes(path);
    EXPECT_NE(written.find("<プラグイン id=\"プラグイン・ＩＤ\">"), std::string::npos) << written;
    EXPECT_NE(written.find("抽出した画像 ①～⑩"), std::string::npos) << written;

    XMLDocument read("");
    read.parse(path);
    IXMLNode* element = read.getNodeByTagName("プラグイン");
    EXPECT_EQ(element->getNodeName(), "プラグイン");
    EXPECT_EQ(element->getFirstChild()->getNodeValue(), text);
    EXPECT_EQ(element->getAttributes()->getNamedItem("id")->getNodeValue(), attribute);
    EXPECT_EQ(read.getValueByTagName("プラグイン"), text);
}

TEST_F(XmlDocumentTest, TextThatIsNotUtf8RaisesXMLException) {
    XMLDocument document("root");
    document.getDocumentElement()->appendChild(document.createElement("value"))->appendChild(
        document.createTextNode("ok"));
    EXPECT_THROW(document.setValueByTagName("value", "\x82\xa0"), XMLException);  // Shift-JIS
    EXPECT_THROW(document.getNodeByTagName("\xff"), XMLException);
    EXPECT_THROW(document.createTextNode("\xc3"), XMLException);
    EXPECT_EQ(document.getValueByTagName("value"), "ok");
}

TEST_F(XmlDocumentTest, ATagThatIsNoXmlNameLetsTheDomExceptionThrough) {
    XMLDocument document("root");
    EXPECT_THROW(document.createElement("no name"), XERCES_CPP_NAMESPACE::DOMException);
    EXPECT_THROW(document.createElement(""), XERCES_CPP_NAMESPACE::DOMException);
}

TEST_F(XmlDocumentTest, SerializeIntoAMissingFolderRaisesXMLException) {
    XMLDocument document("root");
    const std::string path = (folder / "missing" / "config.xml").string();
    EXPECT_EQ(messageOf<XMLException>([&] { document.serialize(path); }),
              "XMLを保存中にエラーが発生しました。" + path + "のバックアップを取り、再度起動してください。");
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(XmlDocumentTest, ASaveReplacesTheFileAndKeepsItsPermissions) {
    const std::string path = file("config.xml", "<old/>");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    XMLDocument document("new");
    document.serialize(path);

    EXPECT_NE(readBytes(path).find("<new/>"), std::string::npos);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(XmlDocumentTest, ASaveThatFailsWhileWritingLeavesTheOldFileWhole) {
    const std::string old = "<?xml version=\"1.0\"?><glintfetch><per_file>true</per_file></glintfetch>";
    const std::string path = file("config.xml", old);
    XMLDocument document("glintfetch");
    document.getDocumentElement()->appendChild(document.createElement("big"))->appendChild(
        document.createTextNode(std::string(1 << 20, 'x')));

    // A file-size limit makes the write fail part-way with EFBIG, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string message;
    try {
        document.serialize(path);
    } catch (const XMLException& raised) {
        message = raised.getMessage();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(message,
              "XMLを保存中にエラーが発生しました。" + path + "のバックアップを取り、再度起動してください。");
    EXPECT_EQ(readBytes(path), old);
    // The half-written temporary file is gone too.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(XmlDocumentTest, DocumentsLiveTogetherAndOneAfterAnother) {
    const std::string path = (folder / "shared.xml").string();
    {
        auto first = std::make_unique<XMLDocument>("first");
        auto second = std::make_unique<XMLDocument>("second");
        second->getDocumentElement()->appendChild(second->createElement("x"))->appendChild(
            second->createTextNode("値"));
        // The library must stay initialised for the second while the first goes.
        first.reset();
        EXPECT_NE(XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager, nullptr);
        second->serialize(path);
        second->parse(path);
        EXPECT_EQ(second->getValueByTagName("x"), "値");
    }
    // Every document is gone, and so is the library's use: the next one starts it afresh.
    EXPECT_EQ(XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager, nullptr);
    for (int round = 0; round < 3; ++round) {
        XMLDocument document("");
        document.parse(path);
        EXPECT_EQ(document.getValueByTagName("x"), "値");
        document.serialize(path);
    }
}

TEST_F(XmlDocumentTest, AHandEditedFileNeverPullsInAnotherFile) {
    const std::string secret = file("secret.txt", "geheim");
    const std::string config = file(
        "config.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE root [<!ENTITY leak SYSTEM \"file://" + secret +
                          "\">]>\n<root><value>&leak;</value></root>");
    XMLDocument document("root");
    try {
        document.parse(config);
    } catch (const XMLException&) {
        return;  // refusing the file is as good as not reading the other one
    }
    IXMLNode* value = document.getNodeByTagName("value");
    IXMLNode* child = nullptr;
    try {
        child = value->getFirstChild();
    } catch (const XMLException&) {
    }
    if (child != nullptr) {
        EXPECT_EQ(child->getNodeValue().find("geheim"), std::string::npos);
    }
}

TEST_F(XmlDocumentTest, EntityExpansionIsBounded) {
    std::string doctype = "<!DOCTYPE root [<!ENTITY e0 \"aaaaaaaaaa\">";
    for (int i = 1; i <= 9; ++i) {
        const std::string prev = "&e" + std::to_string(i - 1) + ";";
        std::string body;
        for (int k = 0; k < 10; ++k) body += prev;
        doctype += "<!ENTITY e" + std::to_string(i) + " \"" + body + "\">";
    }
    doctype += "]>";
    const std::string config = file("bomb.xml", "<?xml version=\"1.0\"?>\n" + doctype + "<root>&e9;</root>");
    XMLDocument document("root");
    EXPECT_THROW(document.parse(config), XMLException);
}

namespace {

// Elements nested depth deep, the innermost one empty when emptyInnermost.
std::string nested(int depth, bool emptyInnermost = false) {
    std::string xml = "<?xml version=\"1.0\"?>\n";
    for (int i = 1; i < depth; ++i) xml += "<a>";
    xml += emptyInnermost ? "<v/>" : "<v>x</v>";
    for (int i = 1; i < depth; ++i) xml += "</a>";
    return xml;
}

}  // namespace

// A file past 1 MiB is refused before it is read, nesting past 64 levels while it is parsed;
// either way the old tree stays. Files at the bounds still load.
TEST_F(XmlDocumentTest, OversizedOrOverlyNestedFilesAreRefusedAndTheOldTreeStays) {
    const std::string padded = "<?xml version=\"1.0\"?>\n<root><v>x</v></root>";
    const std::string tooLarge = "は大きすぎるため読み込みません（上限 1 MiB）。";
    const std::string tooDeep = "は要素の入れ子が深すぎるため読み込みません（上限 64 段）。";
    const struct {
        const char* what;
        std::string contents;
        std::string refusal;  // empty: loads
    } cases[] = {
        {"exactly 1 MiB", padded + std::string((1 << 20) - padded.size(), '\n'), ""},
        {"one byte more", padded + std::string((1 << 20) - padded.size() + 1, '\n'), tooLarge},
        {"10 MB of nesting", std::string(10 * 1000 * 1000, ' ') + nested(1000), tooLarge},
        {"64 levels", nested(64), ""},
        {"64 levels ending empty", nested(64, true), ""},
        {"65 levels", nested(65), tooDeep},
        {"65 levels ending empty", nested(65, true), tooDeep},
        {"1 MiB of nesting", nested(140 * 1000), tooDeep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = file("config.xml", c.contents);
        XMLDocument document("old");
        document.getDocumentElement()->appendChild(document.createElement("v"))->appendChild(
            document.createTextNode("old"));
        if (c.refusal.empty()) {
            ASSERT_LE(c.contents.size(), std::size_t{1} << 20);
            document.parse(path);
            EXPECT_EQ(document.getElementsByTagName("v")->getLength(), 1u);
            EXPECT_EQ(document.getElementsByTagName("old")->getLength(), 0u);
        } else {
            EXPECT_EQ(messageOf<XMLException>([&] { document.parse(path); }), path + c.refusal);
            EXPECT_EQ(document.getValueByTagName("v"), "old");
        }
    }
}

// A save goes where config.xml points: the link stays a link to the same file, which gets the
// new contents, its owner and its permissions.
TEST_F(XmlDocumentTest, ASaveThroughALinkReplacesItsTargetAndKeepsTheOwner) {
    fs::create_directories(folder / "elsewhere");
    const std::string target = file("elsewhere/real.xml", "<old/>");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Another owner where the tests may give one: the new file must get it too.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    struct stat before;
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    const fs::path link = folder / "config.xml";
    fs::create_symlink("elsewhere/real.xml", link);

    XMLDocument document("new");
    document.serialize(link.string());

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("elsewhere/real.xml"));
    EXPECT_NE(readBytes(target).find("<new/>"), std::string::npos);
    struct stat after;
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (asRoot) {
        EXPECT_EQ(after.st_uid, 65534u);
    }
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // No temporary file is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "elsewhere"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    // A link whose file does not exist yet: the file is made where it points.
    const fs::path dangling = folder / "dangling.xml";
    fs::create_symlink("elsewhere/later.xml", dangling);
    document.serialize(dangling.string());
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_NE(readBytes((folder / "elsewhere/later.xml").string()).find("<new/>"), std::string::npos);
}

// Read-only is the user's word, also for whoever could write the file all the same.
TEST_F(XmlDocumentTest, AReadOnlyFileIsReportedNotReplaced) {
    const std::string path = file("config.xml", "<old/>");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    XMLDocument document("new");
    EXPECT_EQ(messageOf<XMLException>([&] { document.serialize(path); }),
              path + "は読み取り専用のため保存できません。書き込みを許可した上で、もう一度保存してください。");
    EXPECT_EQ(readBytes(path), "<old/>");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// Another user's file that we may write to, in a folder we may write to: a new file could not get
// its owner, so the file is rewritten in place. Only root can make such a file; the test then
// goes on as an ordinary user in a child process.
TEST_F(XmlDocumentTest, AnotherUsersFileIsRewrittenInPlaceAndKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file of another user";
    const bool inChild = std::getenv(withoutroot::childVariable) != nullptr;
    const fs::path shared =
        fs::temp_directory_path() / ("xmldocument-shared-" + std::to_string(inChild ? ::getppid() : ::getpid()));
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all);
    const std::string path = (shared / "config.xml").string();
    writeBytes(path, "<old/>");
    fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    if (withoutroot::rerunWithoutRoot(folder)) {
        fs::remove_all(shared);
        return;
    }
    XMLDocument document("new");
    document.serialize(path);
    EXPECT_NE(readBytes(path).find("<new/>"), std::string::npos);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1);
}
