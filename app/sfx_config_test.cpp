#include "app/sfx_config.h"

#include <gtest/gtest.h>

#include <string>

#include "encoding/x_string.h"

namespace {

std::string text(SfxConfig& config, const char* key) {
  XString out;
  config.getText(key, out);
  return out.getUtf8();
}

std::string document(SfxConfig& config) {
  XString out;
  config.documentText(out);
  return out.getUtf8();
}

bool load(SfxConfig& config, const std::string& xml) {
  XString doc;
  doc.setFromUtf8(xml.c_str());
  return config.loadDocument(doc);
}

const char kBuiltIn[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
    "\r\n"
    "<SfxConfig>\r\n"
    "    <AutoTemp>0</AutoTemp>\r\n"
    "    <DeleteAfterSetup>0</DeleteAfterSetup>\r\n"
    "    <ShowFin>0</ShowFin>\r\n"
    "    <ShowMain>1</ShowMain>\r\n"
    "    <ShowProgress>1</ShowProgress>\r\n"
    "    <WaitForSetup>1</WaitForSetup>\r\n"
    "    <Encryption>0</Encryption>\r\n"
    "    <KeyLength>128</KeyLength>\r\n"
    "</SfxConfig>\r\n";

TEST(SfxConfigTest, BuiltInDocument) {
  SfxConfig config;
  EXPECT_EQ(document(config), kBuiltIn);
  EXPECT_FALSE(config.isAutoTemp());
  EXPECT_FALSE(config.isShowFin());
  EXPECT_TRUE(config.isShowMain());
  EXPECT_TRUE(config.isShowProgress());
  EXPECT_TRUE(config.isWaitForSetup());
  EXPECT_FALSE(config.isEncrypted());
  EXPECT_EQ(config.getInt("KeyLength"), 128);
  EXPECT_FALSE(config.getFlag("DeleteAfterSetup"));
  EXPECT_FALSE(config.hasTargetDir());
  EXPECT_EQ(text(config, "UnzipDir"), "");
}

TEST(SfxConfigTest, MissingOrBrokenDocumentKeepsTheBuiltInOne) {
  for (const char* bad : {"", "not xml at all", "<!-- only a comment -->"}) {
    SCOPED_TRACE(bad);
    SfxConfig config;
    EXPECT_FALSE(load(config, bad));
    EXPECT_TRUE(config.isShowMain());
    EXPECT_EQ(document(config), kBuiltIn);
  }
}

TEST(SfxConfigTest, LoadedDocumentReplacesTheBuiltInOneAsAWhole) {
  SfxConfig config;
  ASSERT_TRUE(load(config,
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                   "<SfxConfig>\n"
                   "  <ShowFin>true</ShowFin>\n"
                   "  <ShowProgress> 2 </ShowProgress>\n"
                   "  <SetupExe>  first.exe  </SetupExe>\n"
                   "  <SetupExe>second.exe</SetupExe>\n"
                   "  <Group><UnzipDir>deep</UnzipDir></Group>\n"
                   "  <MainWidth>400px</MainWidth>\n"
                   "  <AutoExit>-3</AutoExit>\n"
                   "</SfxConfig>\n"));
  EXPECT_FALSE(config.isShowMain());        // absent now, although built in as 1
  EXPECT_FALSE(config.isWaitForSetup());
  EXPECT_EQ(config.getInt("KeyLength"), 0);
  EXPECT_FALSE(config.isShowFin());         // "true" is no number
  EXPECT_TRUE(config.isShowProgress());
  XString exe;
  config.getSetupExe(exe);
  EXPECT_STREQ(exe.getUtf8(), "first.exe");  // the first one, trimmed
  EXPECT_EQ(text(config, "UnzipDir"), "");   // only direct children count
  EXPECT_FALSE(config.hasTargetDir());
  EXPECT_EQ(config.getInt("MainWidth"), 400);
  EXPECT_EQ(config.getInt("AutoExit"), -3);
  EXPECT_TRUE(config.getFlag("AutoExit"));
  EXPECT_EQ(text(config, "showfin"), "");    // keys are case-sensitive
}

TEST(SfxConfigTest, SettingAKeyChangesTheFirstOrAppendsAtTheEnd) {
  SfxConfig config;
  ASSERT_TRUE(load(config, "<SfxConfig><UnzipDir>C:\\old</UnzipDir><ShowMain>1</ShowMain></SfxConfig>"));
  XString dir;
  dir.setFromUtf8("C:\\new dir");
  config.setUnzipDir(dir);
  config.setDefaultDir(dir);
  XString args;
  args.setFromUtf8("/quiet \"x\"");
  config.setSetupExeArgs(args);
  config.setFlag("Cleanup", true);
  config.setInt("MainHeight", 300);
  config.setText(" Odd Key ", "v");
  EXPECT_EQ(document(config),
            "\r\n<SfxConfig>\r\n"
            "    <UnzipDir>C:\\new dir</UnzipDir>\r\n"
            "    <ShowMain>1</ShowMain>\r\n"
            "    <DefaultDir>C:\\new dir</DefaultDir>\r\n"
            "    <SetupExeArgs>/quiet &quot;x&quot;</SetupExeArgs>\r\n"
            "    <Cleanup>1</Cleanup>\r\n"
            "    <MainHeight>300</MainHeight>\r\n"
            "    <Odd_Key>v</Odd_Key>\r\n"
            "</SfxConfig>\r\n");
  EXPECT_TRUE(config.hasTargetDir());
  XString back;
  config.getDefaultDir(back);
  EXPECT_STREQ(back.getUtf8(), "C:\\new dir");
}

TEST(SfxConfigTest, TargetDirectoryIsKnownWithAutoTempOrAnUnzipDir) {
  struct Case {
    const char* xml;
    bool known;
  } cases[] = {
      {"<SfxConfig><AutoTemp>1</AutoTemp></SfxConfig>", true},
      {"<SfxConfig><UnzipDir>x</UnzipDir></SfxConfig>", true},
      {"<SfxConfig><UnzipDir> </UnzipDir><AutoTemp>0</AutoTemp></SfxConfig>", false},
      {"<SfxConfig/>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    SfxConfig config;
    ASSERT_TRUE(load(config, c.xml));
    EXPECT_EQ(config.hasTargetDir(), c.known);
  }
}

TEST(SfxConfigTest, PackerDocumentsRoundTrip) {
  // A document as the packer writes it: every key, texts with markup
  // characters, quotes, non-ASCII letters and environment references.
  SfxConfig config;
  const char* const keys[][2] = {
      {"AutoTemp", "1"},        {"ShowFin", "1"},
      {"ShowMain", "0"},        {"ShowProgress", "1"},
      {"WaitForSetup", "1"},    {"Encryption", "1"},
      {"KeyLength", "256"},     {"UnzipDir", "%TEMP%\\Tavlin & Co <x>"},
      {"DefaultDir", "C:\\Program Files\\\xC3\x84pfel"},
      {"SetupExe", "setup.exe"}, {"SetupExeArgs", "/s /v\"/qn REBOOT='no'\""},
      {"AutoExit", "0"},        {"VersionCreatedBy", "14.3.0"},
      {"MainTitle", "Install \xE2\x80\x9CThing\xE2\x80\x9D"}, {"MainCaption", "Line one\r\nLine two"},
      {"MainWidth", "420"},     {"PwTitle", "Password"},
      {"ErrPwdCaption", "Wrong password; try again."},
  };
  for (const auto& kv : keys) config.setText(kv[0], kv[1]);
  const std::string first = document(config);
  SfxConfig reread;
  ASSERT_TRUE(load(reread, first));
  EXPECT_EQ(document(reread), first);
  for (const auto& kv : keys) {
    SCOPED_TRACE(kv[0]);
    EXPECT_EQ(text(reread, kv[0]), kv[1]);
  }
  XString title;
  reread.getMainTitle(title);
  EXPECT_STREQ(title.getUtf8(), "Install \xE2\x80\x9CThing\xE2\x80\x9D");
  EXPECT_TRUE(reread.isEncrypted());
  EXPECT_TRUE(reread.isAutoTemp());
  EXPECT_FALSE(reread.isShowMain());
}

}  // namespace
