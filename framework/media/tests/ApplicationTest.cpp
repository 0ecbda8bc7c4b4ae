#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "framework/media/Application.h"
#include "framework/media/BuildVersion.h"
#include "framework/media/SystemQueries.h"
#include "framework/media/VersionInfo.h"

namespace zv::fw {
namespace {

class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AppInstance instance;
        instance.modulePath = "/opt/zv6/zv6";
        ASSERT_EQ(CreateApplication(instance, ui::Hwnd{42}), 1);
    }
    void TearDown() override { DeleteApplication(); }
};

TEST_F(ApplicationTest, KeepsInstanceOwnerAndLibraryAndForgetsItselfWhenDeleted) {
    Application* app = GetApplication();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->GetModulePath(), "/opt/zv6/zv6");
    EXPECT_EQ(app->GetOwner(), ui::Hwnd{42});
    EXPECT_NE(app->GetResourceLibrary(), nullptr);
    EXPECT_EQ(app->GetResourceLibrary(), GetStoredResourceLibrary());
    DeleteApplication();
    EXPECT_EQ(GetApplication(), nullptr) << "no pointer to a deleted object is left";
    DeleteApplication();  // twice is harmless
}

TEST_F(ApplicationTest, VersionOfTheProgramFromTheBuild) {
    VersionInfo own(nullptr);
    ASSERT_TRUE(own.HasData());
    EXPECT_STREQ(own.GetString(kVersionFileVersion), ZV_VERSION_TEXT);
    const char* first = own.GetString(kVersionProductName);
    EXPECT_STREQ(first, ZV_PRODUCT_NAME);
    EXPECT_STREQ(own.GetString(kVersionCompanyName), ZV_COMPANY_NAME);
    EXPECT_EQ(own.GetString(kVersionComments), nullptr) << "a key the block lacks";
    EXPECT_EQ(own.GetString(0), nullptr);
    own.SetLanguage(2);
    EXPECT_STREQ(own.GetString(kVersionFileVersion), ZV_VERSION_TEXT);
    own.SetLanguage(0);
    EXPECT_EQ(own.GetString(kVersionFileVersion), nullptr);
    own.SetLanguage(1);

    // CopyString: at most *size bytes, the count back in *size.
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    int size = 3;
    own.CopyString(kVersionFileVersion, buf, &size);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(std::string(buf, 4), std::string(ZV_VERSION_TEXT).substr(0, 3) + "x");
    size = sizeof buf;
    own.CopyString(kVersionFileVersion, buf, &size);
    EXPECT_EQ(size, int(std::strlen(ZV_VERSION_TEXT)) + 1);
    EXPECT_STREQ(buf, ZV_VERSION_TEXT);
    size = sizeof buf;
    own.CopyString(kVersionSpecialBuild, buf, &size);
    EXPECT_EQ(size, 0);

    // The resource library and the other programs carry the same block; other files none.
    EXPECT_TRUE(VersionInfo("C:\\ZV6\\HVLibR.dll").HasData());
    EXPECT_TRUE(VersionInfo("/somewhere/zv6open.ovl").HasData());
    VersionInfo other("/etc/hostname");
    EXPECT_FALSE(other.HasData());
    EXPECT_EQ(other.GetString(kVersionFileVersion), nullptr);
    size = 17;
    other.CopyString(kVersionFileVersion, buf, &size);
    EXPECT_EQ(size, 17) << "without a block nothing is written";
    VersionInfo empty;
    EXPECT_FALSE(empty.HasData());

    EXPECT_STREQ(VersionKeyName(4), "FileVersion");
    EXPECT_STREQ(VersionKeyName(11), "ProductVersion");
    EXPECT_STREQ(VersionKeyName(13), "");
    EXPECT_STREQ(VersionLanguageCode(1), "041104b0");
    EXPECT_STREQ(VersionLanguageCode(2), "040904E4");
}

TEST_F(ApplicationTest, SystemQueries) {
    const char* computer = GetLocalComputerName();
    ASSERT_NE(computer, nullptr);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_LE(std::strlen(computer), 15u);
    EXPECT_EQ(std::string(host).rfind(computer, 0), 0u) << "a prefix of the host name";
    const char* user = GetLogonUserName();
    ASSERT_NE(user, nullptr);
    EXPECT_GT(std::strlen(user), 0u);
    EXPECT_LT(std::strlen(user), 32u);

    char* fresh = GetModuleDirectory(nullptr);
    ASSERT_NE(fresh, nullptr);
    EXPECT_STREQ(fresh, "/opt/zv6/");
    delete[] fresh;
    char mine[260];
    EXPECT_EQ(GetModuleDirectory(mine), mine);
    EXPECT_STREQ(mine, "/opt/zv6/");
}

TEST_F(ApplicationTest, LibraryTexts) {
    char buf[16] = "junk";
    EXPECT_EQ(LoadLibraryText(1234, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    TextString* text = nullptr;
    EXPECT_EQ(LoadLibraryTextString(1234, &text), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->Text(), "");
    delete text;
}

}  // namespace
}  // namespace zv::fw
