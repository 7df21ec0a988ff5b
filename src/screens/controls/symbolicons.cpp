#include "symbolicons.h"

#include <QFontDatabase>
#include <QHash>
#include <QQmlEngine>

namespace {

const QHash<QString, char16_t> &glyphs()
{
    static const QHash<QString, char16_t> table{
        {QStringLiteral("pin"), 0xf10d},                       // push_pin
        {QStringLiteral("pin.slash"), 0xf10d},                 // push_pin, struck through
        {QStringLiteral("trash"), 0xe872},                     // delete
        {QStringLiteral("plus"), 0xe145},                      // add
        {QStringLiteral("arrow.clockwise"), 0xe5d5},           // refresh
        {QStringLiteral("square.grid.2x2.fill"), 0xe9b0},      // grid_view
        {QStringLiteral("star.fill"), 0xe838},                 // star
        {QStringLiteral("arrow.up"), 0xe5d8},                  // arrow_upward
        {QStringLiteral("doc.text"), 0xe873},                  // description
        {QStringLiteral("doc.fill"), 0xe24d},                  // insert_drive_file
        {QStringLiteral("doc.on.doc.fill"), 0xe14d},           // content_copy
        {QStringLiteral("app.fill"), 0xe1bd},                  // widgets
        {QStringLiteral("text.alignleft"), 0xe236},            // format_align_left
        {QStringLiteral("number"), 0xe9ef},                    // tag
        {QStringLiteral("cpu.fill"), 0xe322},                  // memory
        {QStringLiteral("arrow.down.circle.fill"), 0xf181},    // arrow_circle_down
        {QStringLiteral("arrow.up.forward.app.fill"), 0xe89e}, // open_in_new
        {QStringLiteral("link"), 0xe157},                      // link
        {QStringLiteral("globe"), 0xe894},                     // language
        {QStringLiteral("person.fill"), 0xe7fd},               // person
        {QStringLiteral("folder.fill"), 0xe2c7},               // folder
        {QStringLiteral("chevron.down"), 0xe5cf},              // expand_more
        {QStringLiteral("xmark.circle.fill"), 0xe5c9},         // cancel
        {QStringLiteral("magnifyingglass"), 0xe8b6},           // search
        {QStringLiteral("chevron.backward"), 0xe5cb},          // chevron_left
        {QStringLiteral("photo"), 0xe410},                     // photo
        {QStringLiteral("arrow.up.arrow.down"), 0xe164},       // sort
        {QStringLiteral("sparkles"), 0xe031},                  // new_releases
        {QStringLiteral("ellipsis.circle"), 0xe5d4},           // more_vert
        {QStringLiteral("checkmark"), 0xe5ca},                 // check
    };
    return table;
}

} // namespace

SymbolIcons::SymbolIcons()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/Vexlo/icons/MaterialIcons-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    m_fontFamily = families.isEmpty() ? QStringLiteral("Material Icons") : families.constFirst();
}

SymbolIcons *SymbolIcons::instance()
{
    static SymbolIcons *const icons = new SymbolIcons;
    return icons;
}

SymbolIcons *SymbolIcons::create(QQmlEngine *, QJSEngine *)
{
    SymbolIcons *icons = instance();
    QQmlEngine::setObjectOwnership(icons, QQmlEngine::CppOwnership);
    return icons;
}

QString SymbolIcons::glyph(const QString &name)
{
    const auto it = glyphs().constFind(name);
    return it == glyphs().cend() ? QString() : QString(QChar(*it));
}

bool SymbolIcons::isSlashed(const QString &name)
{
    return name.endsWith(u".slash");
}
