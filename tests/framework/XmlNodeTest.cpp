#include "framework/Xmlnode.h"

#include "framework/Exception.h"
#include "framework/IXMLElement.h"
#include "framework/IXMLNamedNodeMap.h"
#include "framework/IXMLNodeList.h"
#include "framework/IXMLText.h"
#include "framework/Xmldocument.h"
#include "framework/Xmlelement.h"
#include "framework/Xmltext.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOMException.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>

namespace fs = std::filesystem;
using DOMException = XERCES_CPP_NAMESPACE::DOMException;

namespace {

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

// A node of no framework document.
class ForeignNode : public IXMLNode {
public:
    IXMLNode* appendChild(IXMLNode*) override { return nullptr; }
    IXMLNodeList* getChildNodes() override { return nullptr; }
    IXMLNode* getFirstChild() override { return nullptr; }
    IXMLNamedNodeMap* getAttributes() override { return nullptr; }
    std::string getNodeName() override { return ""; }
    std::string getNodeValue() override { return ""; }
    void setNodeValue(std::string) override {}
};

// A parsed settings-like document, whitespace between elements included.
class XmlNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = (fs::temp_directory_path() /
                ("xmlnode-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml"))
                   .string();
        std::ofstream(path, std::ios::binary)
            << "<glintfetch>\n"
               "  <plugin_options>\n"
               "    <plugin id=\"a\"><key>one</key></plugin>\n"
               "    <!-- a comment -->\n"
               "    <plugin>no id</plugin>\n"
               "  </plugin_options>\n"
               "  <blank>   </blank>\n"
               "  <bare/>\n"
               "</glintfetch>\n";
        document.parse(path);
    }
    void TearDown() override { fs::remove(path); }

    std::string path;
    XMLDocument document{""};
};

}  // namespace

TEST_F(XmlNodeTest, FirstChildOfWhitespaceIsTheWhitespaceAndOfNothingRaises) {
    IXMLNode* blank = document.getNodeByTagName("blank")->getFirstChild();
    EXPECT_EQ(blank->getNodeName(), "#text");
    EXPECT_EQ(blank->getNodeValue(), "   ");

    EXPECT_EQ(messageOf<XMLException>([&] { document.getNodeByTagName("bare")->getFirstChild(); }),
              "このノードは子ノードを持っていません。");
}

TEST_F(XmlNodeTest, OnlyElementsHaveAttributes) {
    IXMLNode* options = document.getNodeByTagName("plugin_options");
    IXMLNode* whitespace = options->getFirstChild();
    EXPECT_EQ(messageOf<XMLException>([&] { whitespace->getAttributes(); }),
              "このノードは属性を持っていません。");

    // An element without attributes gives a map, in which nothing is found.
    IXMLNamedNodeMap* none = document.getNodeByTagName("bare")->getAttributes();
    EXPECT_THROW(none->getNamedItem("id"), XMLException);

    IXMLNode* id = options->getChildNodes()->item(1)->getAttributes()->getNamedItem("id");
    EXPECT_EQ(id->getNodeName(), "id");
    EXPECT_EQ(id->getNodeValue(), "a");
}

// The walk the settings model makes over the children of plugin_options: text and comments have
// no attributes, a plugin without id has no "id"; both are skipped by catching XMLException.
TEST_F(XmlNodeTest, TheSettingsWalkSeesOnlyElementsWithTheirIds) {
    IXMLNodeList* children = document.getNodeByTagName("plugin_options")->getChildNodes();
    std::string ids;
    int skipped = 0;
    for (unsigned i = 0; i < children->getLength(); ++i) {
        try {
            ids += children->item(i)->getAttributes()->getNamedItem("id")->getNodeValue();
        } catch (const XMLException&) {
            ++skipped;
        }
    }
    EXPECT_EQ(ids, "a");
    EXPECT_EQ(skipped, 6);  // four whitespace texts, the comment and the plugin without id
    EXPECT_THROW(children->item(children->getLength()), XMLException);
}

TEST_F(XmlNodeTest, NamesAndValuesFollowTheDom) {
    IXMLNode* plugin = document.getNodeByTagName("plugin");
    EXPECT_EQ(plugin->getNodeName(), "plugin");
    EXPECT_EQ(plugin->getNodeValue(), "");
    plugin->setNodeValue("ignored on an element");
    EXPECT_EQ(plugin->getNodeValue(), "");
    EXPECT_EQ(plugin->getFirstChild()->getNodeName(), "key");
    EXPECT_EQ(document.getNodeByTagName("plugin_options")->getChildNodes()->item(3)->getNodeName(),
              "#comment");
}

TEST_F(XmlNodeTest, TheSameChildReachedTwiceIsTheSamePointer) {
    IXMLNode* key = document.getNodeByTagName("key");
    IXMLNode* plugin = document.getNodeByTagName("plugin");
    EXPECT_EQ(plugin->getFirstChild(), key);
    EXPECT_EQ(plugin->getChildNodes()->item(0), key);
    EXPECT_EQ(document.getElementsByTagName("key")->item(0), key);

    IXMLNamedNodeMap* attributes = plugin->getAttributes();
    EXPECT_EQ(attributes->getNamedItem("id"), attributes->getNamedItem("id"));
}

TEST_F(XmlNodeTest, WrappersKeepTheKindOfTheirFirstRequest) {
    IXMLElement* made = document.createElement("made");
    EXPECT_NE(dynamic_cast<XMLElement*>(made), nullptr);
    EXPECT_NE(dynamic_cast<XMLText*>(document.createTextNode("t")), nullptr);
    // A parsed element reached by tag is a plain node.
    EXPECT_EQ(dynamic_cast<XMLElement*>(document.getNodeByTagName("plugin")), nullptr);
    // The root reached first as an element stays one, also when reached by tag later.
    IXMLElement* root = document.getDocumentElement();
    EXPECT_EQ(document.getNodeByTagName("glintfetch"), static_cast<IXMLNode*>(root));
}

TEST_F(XmlNodeTest, AppendChildReturnsItsArgumentAndMovesAnAttachedChild) {
    IXMLNode* options = document.getNodeByTagName("plugin_options");
    IXMLNode* bare = document.getNodeByTagName("bare");
    IXMLNodeList* optionChildren = options->getChildNodes();
    IXMLNodeList* bareChildren = bare->getChildNodes();
    const unsigned before = optionChildren->getLength();

    IXMLElement* plugin = document.createElement("plugin");
    plugin->setAttribute("id", "b");
    IXMLNode* asNode = plugin;
    EXPECT_EQ(options->appendChild(asNode), asNode);
    // The live list follows without being asked for again.
    EXPECT_EQ(optionChildren->getLength(), before + 1);
    EXPECT_EQ(optionChildren->item(before), asNode);

    EXPECT_EQ(bare->appendChild(asNode), asNode);
    EXPECT_EQ(optionChildren->getLength(), before);
    EXPECT_EQ(bareChildren->getLength(), 1u);
    EXPECT_EQ(document.getElementsByTagName("plugin")->getLength(), 3u);
    EXPECT_EQ(bare->getFirstChild(), asNode);
}

TEST_F(XmlNodeTest, SetAttributeTwiceKeepsOneAttributeWithTheLastValue) {
    IXMLElement* element = document.createElement("plugin");
    element->setAttribute("id", "first");
    element->setAttribute("id", "second");
    document.getDocumentElement()->appendChild(element);
    document.serialize(path);

    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("<plugin id=\"second\"/>"), std::string::npos) << written;
    EXPECT_EQ(written.find("first"), std::string::npos) << written;
    EXPECT_EQ(element->getAttributes()->getNamedItem("id")->getNodeValue(), "second");
}

TEST_F(XmlNodeTest, AppendChildRefusesWhatTheDomRefuses) {
    IXMLNode* root = document.getDocumentElement();
    ForeignNode foreign;
    EXPECT_THROW(root->appendChild(&foreign), std::bad_cast);
    EXPECT_THROW(root->appendChild(nullptr), std::bad_cast);

    IXMLText* text = document.createTextNode("t");
    EXPECT_THROW(text->appendChild(document.createElement("x")), DOMException);
    EXPECT_THROW(root->appendChild(root), DOMException);
    IXMLNode* options = document.getNodeByTagName("plugin_options");
    EXPECT_THROW(options->getFirstChild()->appendChild(options), DOMException);

    XMLDocument other("other");
    EXPECT_THROW(root->appendChild(other.createElement("stranger")), DOMException);

    IXMLElement* element = document.createElement("e");
    EXPECT_THROW(element->setAttribute("no name", "v"), DOMException);
}
