#include "indexer.h"

#include "logic/datafiles.h"
#include "words.h"

#include <cstring>

namespace indexer {

using search::kCapacity;

QString rulesText() {
  QString stop;
  qsizetype line = 0;
  for (const char* w : kStopWords) {
    const qsizetype len = qsizetype(std::strlen(w));
    if (line > 0 && line + 1 + len > 74) {
      stop += QStringLiteral("\n    ");
      line = 0;
    } else if (line > 0) {
      stop += u' ';
      ++line;
    }
    stop += QLatin1String(w);
    line += len;
  }
  return QStringLiteral(
             "Pages:\n"
             "  The pages are the files directly in <pages> whose names end in \".qx\", read as\n"
             "  UTF-8, or as Windows-1252 when they are not valid UTF-8. Left out, as the reader\n"
             "  never shows them as pages of their own: the layout variants modMML.qx, objMML.qx,\n"
             "  revMML.qx, qxpracL.qx, qxsummL.qx, qxtechL.qx and qxtvidL.qx (the reader picks the\n"
             "  variant for the screen itself); the trigger pages search.qx, index.qx and hist.qx;\n"
             "  the media pages title.qx and every name that begins with \"fig\", \"ttv\" or \"v\".\n"
             "  files.qx numbers the others in this order: the start pages qxa.qx to qxg.qx, the\n"
             "  contents pages qxcra.qx to qxcrg.qx, the module pages (\"qx\" and a two-digit\n"
             "  module number) by name, then every other page by name. A page's title is its\n"
             "  <title>, with character references decoded and white space collapsed; a page\n"
             "  without a title is titled with its name. The start and contents pages of layouts\n"
             "  b to g are numbered, so that the history can title them, but their words are not\n"
             "  indexed: they hold the words of layout a's, and a search should list a page once.\n"
             "\n"
             "Words:\n"
             "  A page's words are those of the text inside its <main> elements, or, in a page\n"
             "  without <main>, of its whole text outside <head>. Tags, comments, scripts, styles\n"
             "  and the title do not count, and every tag separates words. A word is a run of\n"
             "  letters and digits that holds at least two letters: \"74HC00\" is a word, \"2N3904\"\n"
             "  and \"50\" are not, and \"Ohm's\" gives \"Ohm\". Words are upper-cased by the rules of\n"
             "  Windows-1252 (\"Widerstände\" is indexed as \"WIDERSTÄNDE\", and the reader's search\n"
             "  ignores case); a word that holds a character Windows-1252 cannot write, such as\n"
             "  \"kΩ\", is left out, as no search could find it. These common words are left out:\n"
             "    %1\n"
             "  words.qx lists the words in the order of their Windows-1252 codes (so \"ZENER\"\n"
             "  comes before \"ÄNDERUNG\"), each with the numbers of the pages that hold it in\n"
             "  ascending order; the search lists a word's pages in that order.\n"
             "\n"
             "Refused (nothing is written, and the exit status is 1):\n"
             "  more than %2 pages to number, or more than %2 different words; a page\n"
             "  name or title with a character that Windows-1252 cannot write; a page name\n"
             "  that holds a TAB or a line break; a folder without pages; a page that cannot\n"
             "  be read.\n")
      .arg(stop)
      .arg(kCapacity);
}

}  // namespace indexer
