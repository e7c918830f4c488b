// What an import learnt about a book page besides its pictures: the page's displayed size and
// its text with the places of its words. Shared, never changed once made.
#pragma once

#include "platform/PdfDocument.h"

namespace leafcraft {

struct PageFacts {
    // The displayed size in PDF points, rotation applied; 0 when unknown.
    double width = 0;
    double height = 0;
    // The document's permissions forbid copying its text and the user did not overrule them:
    // `text` is empty and nothing of the page's text may be published.
    bool textWithheld = false;
    pdf::PageText text;
    // Why a page asked for as a drawing (SVG) was written as a picture; empty otherwise.
    QString pictureInsteadOfVector;
};

} // namespace leafcraft
