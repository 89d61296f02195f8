#pragma once

#include <QString>

namespace model {

class TpaAlbumTree;

// Renders the album tree as the text of "data.xml": declaration, generator
// comment, the root element with its galleries and photos, TAB indentation and
// CR LF line ends. The galleries must have been numbered (TpaAlbum::RenumberIds).
class TpaDataXmlWriter {
public:
    static QString GeneratorComment();
    static QString Render(const TpaAlbumTree& tree);
};

} // namespace model
