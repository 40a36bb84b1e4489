#pragma once
// What a page holds: its bytes decoded, its HTML read for a title and the indexed text.
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace indexer {

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString decodePage(QByteArrayView bytes);

struct PageContent {
  QString title;  // the <title>, references decoded, white space collapsed; may be empty
  QString text;   // the text whose words are indexed; tags and comments are blanks in it
};
// The indexed text is that of the <main> elements when the page has one, else of the
// whole page outside <head>; <script>, <style> and the title never count.
PageContent parsePage(QStringView html);

}  // namespace indexer
