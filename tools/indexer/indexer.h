#pragma once
// tavrin-index: the reader's search data, "files.qx" and "words.qx", made from a folder of
// course pages. Everything the program decides is here, as plain functions on names, bytes
// and text, one file per job; main.cpp only reads the command line and reports.
//
// The two files are written with the reader's own writers (logic/datafiles.h): Windows-1252,
// every line ended with CR LF, fields separated by TAB. "files.qx" numbers the pages by
// line; "words.qx" lists every word, upper-cased in Windows-1252 and in the order of its bytes, with the numbers
// of the pages that hold it, ascending, each followed by a TAB. The reader's search lists a
// term's pages word by word in the file's order and each word's pages in list order, so its
// results come alphabetically by word and, within a word, in course order.
#include "builder.h"
#include "folder.h"
#include "html.h"
#include "pages.h"
#include "words.h"

#include <QString>

namespace indexer {

// What counts as a page and as a word, for --help.
QString rulesText();

}  // namespace indexer
