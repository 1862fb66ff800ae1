#pragma once

// The display names of the field ids in one language, as a technician reads
// them in a report: asked once of the resource manager's GetFieldName (a
// host's own, when it interposes one), kept as UTF-8.

#include <string>
#include <vector>

#include "platform/wintypes.h"

class FieldDisplayNames {
public:
    // `language` is UTF-8, as the resource manager names it ("English",
    // "German"). Throws CommandError for a language that the resource
    // manager has no names in, or a name that is no UTF-8; std::bad_alloc.
    explicit FieldDisplayNames(const std::string& language);

    // The display name of an id from 0 to 470; the table name for an id that
    // the resource manager gives no name for, "field N" for any other id.
    std::string operator()(LONG id) const;

private:
    std::vector<std::string> names_;
};
