// The JPEG plug-in's own property dialog, driven headless through its real controls while it runs
// modally inside showProperty, and the smallest image size it stores.

#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const char* const pluginId = "glintfetch.jpeg";

// Runs showProperty over parent and, once its dialog is the modal window, hands the dialog to
// drive, which must close it. Returns whether drive ran.
bool showPropertyAndDrive(IExtractPlugin* plugin, QWidget* parent, const std::function<void(QDialog&)>& drive)
{
    bool driven = false;
    std::function<void(int)> poll = [&](int attemptsLeft) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            driven = true;
            drive(*dialog);
        } else if (attemptsLeft > 0) {
            QTimer::singleShot(0, [&poll, attemptsLeft] { poll(attemptsLeft - 1); });
        }
    };
    QTimer::singleShot(0, [&poll] { poll(1000); });
    plugin->showProperty(parent);
    return driven;
}

class JpegPropertyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin->setConfig(&config);
    }

    bool showAndDrive(const std::function<void(QDialog&)>& drive)
    {
        return showPropertyAndDrive(plugin.get(), &parent, drive);
    }

    static QSpinBox* box(QDialog& dialog, const char* name)
    {
        auto* found = dialog.findChild<QSpinBox*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void click(QDialog& dialog, const char* name)
    {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    unsigned extractJpeg(int width, int height)
    {
        Bytes file = SampleFiles::jpeg(width, height, 3);
        std::string input = folder.write("photo.jpg", file);
        std::string output = folder.file("out.jpg");
        return plugin->extract(input.c_str(), 0, 0, output.c_str());
    }

    LoadedPlugin plugin{"jpeg"};
    FakeExtractConfig config;
    QWidget parent;
    TemporaryFolder folder;
};

TEST_F(JpegPropertyTest, OkStoresTheSizesThroughTheConfiguration)
{
    parent.show();
    bool driven = showAndDrive([this](QDialog& dialog) {
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.parentWidget(), &parent) << "the dialog stands over the window it was given";
        box(dialog, "minimumWidth")->setValue(40);
        box(dialog, "minimumHeight")->setValue(30);
        click(dialog, "ok");
    });
    ASSERT_TRUE(driven);
    EXPECT_EQ(config.property(pluginId, "min_width"), "40");
    EXPECT_EQ(config.property(pluginId, "min_height"), "30");
}

TEST_F(JpegPropertyTest, CancelStoresNothing)
{
    config.setProperty("min_width", "12", pluginId);
    ASSERT_TRUE(showAndDrive([](QDialog& dialog) {
        box(dialog, "minimumWidth")->setValue(99);
        click(dialog, "cancel");
    }));
    EXPECT_EQ(config.property(pluginId, "min_width"), "12");
    EXPECT_EQ(config.properties.count({pluginId, "min_height"}), 0u);
}

TEST_F(JpegPropertyTest, DialogShowsTheStoredSizes)
{
    config.setProperty("min_width", "25", pluginId);
    config.setProperty("min_height", "not a number", pluginId);
    ASSERT_TRUE(showAndDrive([](QDialog& dialog) {
        EXPECT_EQ(box(dialog, "minimumWidth")->value(), 25);
        EXPECT_EQ(box(dialog, "minimumHeight")->value(), 0) << "an unreadable text is no bound";
        dialog.reject();
    }));
}

TEST_F(JpegPropertyTest, SmallerImagesAreNotExtracted)
{
    struct Case {
        const char* minimumWidth;
        const char* minimumHeight;
        bool extracted;
    };
    const Case cases[] = {
        {"", "", true}, {"16", "12", true}, {"17", "", false}, {"", "13", false}, {"x", "-1", true},
    };
    for (const Case& c : cases) {
        config.setProperty("min_width", c.minimumWidth, pluginId);
        config.setProperty("min_height", c.minimumHeight, pluginId);
        EXPECT_EQ(extractJpeg(16, 12) > 0, c.extracted)
            << "at least " << c.minimumWidth << " x " << c.minimumHeight;
    }
}

TEST(JpegPropertyWithoutSettings, OkWithoutParentOrConfigurationStoresNothingAndReturns)
{
    LoadedPlugin plugin("jpeg");
    EXPECT_TRUE(showPropertyAndDrive(plugin.get(), nullptr, [](QDialog& dialog) { dialog.accept(); }));
}

}
