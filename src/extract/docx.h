// DOCX documents as text. The document part ("word/document.xml") of the zip
// package is read into memory, its WordprocessingML text runs are collected,
// and their text is written as one line into a temporary text file inside a
// private folder ("QUOR001" ... "QUOR999" in the system temporary folder).
// The caller reads that file like any other text file and then removes the
// folder with ClearDocxTemp.
//
// Nothing here shows a window: the questions the conversion asks and the
// notices it gives go through DocxCallbacks, which the index build and the
// search scanner route to their Platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/strings.h"

namespace quor {

// Sizes of the unpacked document part, in bytes: above kDocxLargeSize the
// user is asked whether to go on; above kDocxTooLargeSize the document ends
// the run. No more than kDocxTooLargeSize + 1 bytes are ever inflated.
inline constexpr std::int64_t kDocxLargeSize = 5242880;
inline constexpr std::int64_t kDocxTooLargeSize = 10485760;

// Negative results of ConvertDocxToText and ExtractDocumentPart.
enum DocxStatus : std::int32_t {
  kDocxNoTempFolder = -1,     // no temporary folder could be made
  kDocxDamagedDeclined = -2,  // damaged member; the user chose not to scan it
  kDocxNoDocumentText = -3,   // not a readable zip, or no readable "word/document.xml"
  kDocxTooLarge = -4,         // the document part exceeds kDocxTooLargeSize
  kDocxLargeDeclined = -5,    // over kDocxLargeSize; the user chose not to scan it
  kDocxWriteFailed = -9,      // the temporary text file could not be written
};

// One message of the conversion.
struct DocxMessage {
  enum class Kind {
    Question,           // Yes/No, Yes the default button
    QuestionDefaultNo,  // Yes/No, No the default button
    Notice,             // OK box without icon
    Error,              // OK box with exclamation icon
  };
  std::u16string text;
  std::u16string title;  // may be empty (a box without title)
  Kind kind = Kind::Notice;
};

// How the conversion talks to its user. Unset members mean: questions are
// answered Yes, notices go unseen, no stop is ever requested.
struct DocxCallbacks {
  // Shows a message; for the two question kinds the result is true for Yes.
  std::function<bool(const DocxMessage&)> show;
  // Lets pending events be processed; true when the user asked the run to stop.
  std::function<bool()> processEvents;
};

// The result of one conversion.
struct DocxConversion {
  // The length of the document part in bytes (0 or more), or a DocxStatus.
  std::int32_t status = 0;
  // On success: the temporary folder (with a trailing separator) and the text
  // file inside it. After a failure no folder is left and both are empty.
  std::u16string tempFolder;
  std::u16string textPath;
  // For kDocxWriteFailed: the system's description of the write error.
  std::u16string errorText;
};

// Converts the DOCX file at path into a temporary text file in a new folder
// named folderName + three digits inside tempRoot (the system temporary
// folder). Asks about damaged and large documents through callbacks.
DocxConversion ConvertDocxToText(std::u16string_view path, std::u16string_view tempRoot,
                                 std::u16string_view folderName, const DocxCallbacks& callbacks);

// The document part of a package and the temporary folder made for it.
struct ExtractedPart {
  std::int32_t status = 0;    // length of the part, or a DocxStatus
  std::u16string tempFolder;  // with trailing separator; empty after a failure
  std::string bytes;          // the part, as read (empty after a failure)
};

// Makes the temporary folder, reads the document part and applies the
// damaged-member question and the two size thresholds.
ExtractedPart ExtractDocumentPart(std::u16string_view path, std::u16string_view tempRoot,
                                  std::u16string_view folderName, const DocxCallbacks& callbacks);

// Reading the member "word/document.xml" of a zip package.
struct UnzippedPart {
  enum class Outcome {
    Complete,  // read to its end with a good checksum
    Damaged,   // a checksum mismatch or a data error; bytes holds what was read
    Missing,   // not a readable zip, no such member, or the member cannot be opened
  };
  Outcome outcome = Outcome::Missing;
  // The member's bytes, at most maxBytes of them.
  std::string bytes;
};

// Reads the document part, inflating no more than maxBytes bytes whatever the
// package's headers claim. A member longer than maxBytes gives Complete with
// exactly maxBytes bytes (the caller's size check then refuses it).
UnzippedPart UnzipDocumentPart(std::u16string_view zipPath, std::int64_t maxBytes);

// Takes each byte of the document part as one Windows-1252 character and
// collects its text runs (ParseDocxRuns from the start).
int ReadDocumentRuns(std::string_view part, TextList& runs, std::int64_t& totalLength,
                     const std::function<bool()>& processEvents = {});

// Collects the text runs of WordprocessingML text from position start
// (0-based): one entry per "<w:t>" or "<w:t ...>" element, its text after the
// tag with "&amp;", "&lt;" and "&gt;" decoded and the UTF-8 repairs applied;
// a run followed by a line break or a paragraph end before the next run gets a
// trailing space; a blank run becomes one space. runs is emptied first;
// totalLength receives the sum of the run lengths. Returns the number of runs,
// or 0 (with runs emptied) when processEvents reports a stop request.
int ParseDocxRuns(std::u16string_view xml, std::size_t start, TextList& runs,
                  std::int64_t& totalLength, const std::function<bool()>& processEvents = {});

// Writes lines[first..last] (inclusive, clamped to the list) one after another
// without any line break, one byte per character through Windows-1252, to a
// new or truncated file. Returns the error text, empty on success.
std::u16string WriteLinesToFile(std::u16string_view path, const TextList& lines, int first,
                                int last);

// Makes the first of folderName + "001" ... folderName + "999" inside tempRoot
// for which neither a folder nor a file exists, readable by its owner only.
// Returns it with a trailing separator, or empty when none could be made.
std::u16string MakeDocxTempFolder(std::u16string_view tempRoot, std::u16string_view folderName);

// Deletes the temporary folder and everything in it. True when nothing of it
// remains (also when it never existed).
bool ClearDocxTemp(std::u16string_view tempFolder);

// The name of the temporary text file for a document: its file name,
// lower-cased, with the extension changed to "txt".
std::u16string DocxTextFileName(std::u16string_view path);

}  // namespace quor
