#pragma once

#include "quillot/frame/PageAction.h"

// The page of a name the application does not know, and of pages that have
// no work of their own: the framework still renders the page's template.
class EmptyAction : public PageAction {};
