#include "app/sfx_config.h"

#include "core/string_buffer.h"
#include "encoding/x_string.h"

SfxConfig::SfxConfig() {
  xml_.SetTagName("SfxConfig");
  xml_.SetDeclaredEncoding("utf-8");
  xml_.SetChildFlag("AutoTemp", false);
  xml_.SetChildFlag("DeleteAfterSetup", false);
  xml_.SetChildFlag("ShowFin", false);
  xml_.SetChildFlag("ShowMain", true);
  xml_.SetChildFlag("ShowProgress", true);
  xml_.SetChildFlag("WaitForSetup", true);
  xml_.SetChildFlag("Encryption", false);
  xml_.SetChildInt("KeyLength", 128);
}

SfxConfig::~SfxConfig() = default;

void SfxConfig::getText(const char* key, XString& out) {
  StringBuffer text;
  xml_.ChildText(key, text);
  out.setFromUtf8(text.getString());
}

int SfxConfig::getInt(const char* key) { return xml_.ChildInt(key); }

bool SfxConfig::getFlag(const char* key) { return xml_.ChildFlag(key); }

void SfxConfig::setText(const char* key, const char* value) { xml_.SetChildText(key, value); }

void SfxConfig::setFlag(const char* key, bool flag) { xml_.SetChildFlag(key, flag); }

void SfxConfig::setInt(const char* key, int value) { xml_.SetChildInt(key, value); }

bool SfxConfig::loadDocument(XString& document) { return xml_.LoadXml(document, true); }

void SfxConfig::documentText(XString& out) { xml_.WriteXml(out); }

void SfxConfig::getMainTitle(XString& out) { getText("MainTitle", out); }
void SfxConfig::getMainCaption(XString& out) { getText("MainCaption", out); }
void SfxConfig::getUnzipDir(XString& out) { getText("UnzipDir", out); }
void SfxConfig::setUnzipDir(XString& dir) { setText("UnzipDir", dir.getUtf8()); }
void SfxConfig::getDefaultDir(XString& out) { getText("DefaultDir", out); }
void SfxConfig::setDefaultDir(XString& dir) { setText("DefaultDir", dir.getUtf8()); }
void SfxConfig::getSetupExe(XString& out) { getText("SetupExe", out); }
void SfxConfig::getSetupExeArgs(XString& out) { getText("SetupExeArgs", out); }
void SfxConfig::setSetupExeArgs(XString& args) { setText("SetupExeArgs", args.getUtf8()); }

bool SfxConfig::isAutoTemp() { return getFlag("AutoTemp"); }
bool SfxConfig::isEncrypted() { return getFlag("Encryption"); }
bool SfxConfig::isShowFin() { return getFlag("ShowFin"); }
bool SfxConfig::isShowProgress() { return getFlag("ShowProgress"); }
bool SfxConfig::isShowMain() { return getFlag("ShowMain"); }
bool SfxConfig::isWaitForSetup() { return getFlag("WaitForSetup"); }

bool SfxConfig::hasTargetDir() {
  if (isAutoTemp()) return true;
  StringBuffer dir;
  xml_.ChildText("UnzipDir", dir);
  return dir.getSize() > 0;
}
