// SfxConfig: the self-extractor's configuration document.
//
// The payload carries the configuration as one XML document (the argument
// "xmlConfig"): a root "SfxConfig" whose direct children are the settings,
// the tag being the key and the text the value. The command line and the
// main dialog write into the same document, so it is also the program's
// run-time settings store, and "-log" writes it out in full.
//
// Until a payload document is loaded the built-in one applies: declaration
// encoding "utf-8" and the keys AutoTemp 0, DeleteAfterSetup 0, ShowFin 0,
// ShowMain 1, ShowProgress 1, WaitForSetup 1, Encryption 0, KeyLength 128,
// in that order. A loaded document replaces it as a whole: a key that the
// payload lacks reads as empty text, 0 or false.
//
// Reading a key finds the first direct child of the root with exactly that
// tag (case-sensitive); later ones and deeper elements are never found.
// Integers read as "%d" does (white space, sign, digits; anything else 0);
// flags are integers that count when not 0 ("true" reads as false).
#pragma once

#include "xml/cls_xml.h"

class XString;

class SfxConfig {
 public:
  SfxConfig();
  virtual ~SfxConfig();
  SfxConfig(const SfxConfig&) = delete;
  SfxConfig& operator=(const SfxConfig&) = delete;

  // ---- Generic access (key = element tag) ----

  // out := the key's text as UTF-8; empty when the key is missing.
  void getText(const char* key, XString& out);
  int getInt(const char* key);
  bool getFlag(const char* key);
  // The first child with the key gets value (UTF-8); without one a child is
  // appended at the end of the root, its tag the key trimmed with inner
  // spaces turned into "_".
  void setText(const char* key, const char* value);
  void setFlag(const char* key, bool flag);  // "1" or "0"
  void setInt(const char* key, int value);   // decimal

  // Replaces the whole document with the parsed text (white space around
  // element texts trimmed). False, keeping the current document, when no
  // root comes out.
  bool loadDocument(XString& document);
  // The whole document as XML text.
  void documentText(XString& out);

  // ---- The keys the program uses in code ----

  void getMainTitle(XString& out);
  void getMainCaption(XString& out);
  void getUnzipDir(XString& out);
  void setUnzipDir(XString& dir);
  void getDefaultDir(XString& out);
  void setDefaultDir(XString& dir);
  void getSetupExe(XString& out);
  void getSetupExeArgs(XString& out);
  void setSetupExeArgs(XString& args);

  bool isAutoTemp();
  bool isEncrypted();
  bool isShowFin();
  bool isShowProgress();
  bool isShowMain();
  bool isWaitForSetup();

  // "AutoTemp" is set or "UnzipDir" is not empty: the program knows where
  // to extract without asking.
  bool hasTargetDir();

  // The document object, for its log.
  ClsXml& xml() { return xml_; }

 private:
  ClsXml xml_;
};
