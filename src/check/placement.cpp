#include "check/placement.h"

#include "support/character_columns.h"

namespace pexilon::check {

namespace {

// A diagnostic's or a note's place: the whole line has no columns, and a
// range shows at least one.
void place_marked(const line_map &map, place &where)
{
    where.line = map.editor_line(where.reader_line);
    if (!where.whole_line) {
        where.column = map.column(where.reader_line, where.span.begin);
        where.end_column = map.column(where.reader_line, where.span.end);
        if (where.end_column <= where.column)
            where.end_column = where.column + 1;
    }
}

// The character columns of the diagnostic's places, its notes' and its
// fixes', each on its own line. `columns` goes on along the diagnostics'
// lines, in order; places on other lines are counted apart, so that they
// do not make it start a long line again.
void count_characters(const line_map &map, character_columns &columns, diagnostic &d)
{
    const auto count = [&](place &at) {
        const auto in_line = [&](std::size_t column) {
            if (column == 0 || at.line == 0)
                return column;
            if (at.line == d.where.line)
                return columns(d.source, column);
            return character_columns()(map.line_text(at.line), column);
        };
        at.display_column = in_line(at.column);
        at.display_end_column = in_line(at.end_column);
    };
    count(d.where);
    for (note &n : d.notes)
        count(n.where);
    for (fix_it &f : d.fixes)
        count(f.where);
}

} // namespace

void place_edited(const line_map &map, place &where)
{
    where.line = map.editor_line(where.reader_line);
    where.column = map.column(where.reader_line, where.span.begin);
    where.end_column = map.column(where.reader_line, where.span.end);
}

void place_for_editors(const line_map &map, character_columns &columns, diagnostic &d)
{
    place_marked(map, d.where);
    d.source = map.line_text(d.where.line);
    for (note &n : d.notes)
        place_marked(map, n.where);
    for (fix_it &f : d.fixes)
        place_edited(map, f.where);
    count_characters(map, columns, d);
}

} // namespace pexilon::check
