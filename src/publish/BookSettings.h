// The book's settings as the book's documents read them.
#pragma once

#include "publish/BookDocuments.h"

namespace leafcraft {

class Template;

namespace bookdoc {

// The template's property values (`tmpl` may be null: every key then gives its default), with
// the title the book is published under standing in for a `Title` that is still the
// template's default. An empty `publishedTitle` changes nothing.
PropertyLookup bookSettings(const Template* tmpl, const QString& publishedTitle);

} // namespace bookdoc

} // namespace leafcraft
