// The string table: every text the add-in asks for by number is there, and the country rows parse.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw {
namespace {

// The table as written in its source, so duplicates (which the lookup would silently drop) show up.
const std::vector<std::pair<int, std::string>>& sourceRows() {
    static const std::vector<std::pair<int, std::string>> rows = {
#define TW_STRING(id, text) {id, text},
#include "strings.inc"
#undef TW_STRING
    };
    return rows;
}

TEST(StringTableSource, NumbersAreUniqueAndInOrder) {
    const auto& rows = sourceRows();
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].first, rows[i].first) << "after " << rows[i - 1].first;
}

TEST(StringTableLookup, EveryNumberTheAddinAsksForHasText) {
    std::vector<int> ids = {133, 134, 135, 136, 137, 138, 139, 141, 153, 204, 205, 207, 210, 260, 261,
                            310, 311, 312, 313, 314, 315, 316, 317, 332, 333, 334, 335, 336, 435, 451,
                            455, 456, 457, 800, 815};
    for (int id = 242; id <= 246; ++id) ids.push_back(id);
    for (int id = 278; id <= 292; ++id) ids.push_back(id);
    for (int id = 340; id <= 346; ++id) ids.push_back(id);
    for (int id = 350; id <= 352; ++id) ids.push_back(id);
    for (int id = 852; id <= 857; ++id) ids.push_back(id);
    for (int id : ids) EXPECT_FALSE(loadString(id).empty()) << "string " << id;
    EXPECT_EQ(loadString(9999), "");
}

TEST(StringTableLookup, HelpTopicsOfTheOptionPagesAreDistinctPages) {
    std::set<std::string> topics;
    auto check = [&](int id) {
        EXPECT_TRUE(text::endsWith(loadString(id), ".html")) << "topic " << id;
        EXPECT_TRUE(topics.insert(loadString(id)).second) << "topic " << id << " repeats another";
    };
    for (int id = 154; id <= 195; ++id) check(id);
    for (int id = 827; id <= 831; ++id) check(id);
}

TEST(StringTableLookup, TextsKeepTheirExactWording) {
    EXPECT_EQ(loadString(135), "Tarnwick was unable to initialize. Please try reinstalling the Microsoft scripting library.");
    EXPECT_EQ(loadString(335), "Messages Processed: %1");
    EXPECT_EQ(loadString(336), "Messages Caught: %1");
    EXPECT_EQ(loadString(455), "Software\\Orvenna\\");
    EXPECT_EQ(loadString(139), "Tarnwick ");  // the status window's caption keeps its trailing blank
    EXPECT_EQ(loadString(278), loadString(343));
    EXPECT_EQ(loadString(288), "Tarnwick has imported %1 addresses from %2.");
    EXPECT_EQ(loadString(283), "Cannot connect to Tarnwick Network.  Will retry later.");
    EXPECT_EQ(loadString(800), "Tarnwick");
    EXPECT_EQ(loadString(138), "version.txt");
}

TEST(StringTableCountries, RowsCarryTheCodesInDisplayOrderWithUniqueNames) {
    const std::vector<std::string> codes = text::split(
        "us af al dz as ad ao ai ag ar am aw au at az bs bh bd bb by be bz bj bm bt bo ba bw bv br io bn bg bf bi "
        "kh cm ca cv ky cf td cl cn cx cc co km cg cd ck cr ci hr cu cy cz dk dj dm do tp ec eg sv gq er ee et fk "
        "fo fj fi fr gf pf tf ga gm ge de gh gi gr gl gd gp gu gt gg gn gw gy ht hm va hn hk hu is in id ir iq ie "
        "il it jm jp jo kz ke ki kp kr kw kg la lv lb ls lr ly li lt lu mo mk mg mw my mv ml mt mh mq mr mu yt mx "
        "fm md mc mn ms ma mz mm na nr np nl an nc nz ni ne ng nu nf mp no om pk pw ps pa pg py pe ph pn pl pt pr "
        "qa re ro ru rw sh kn lc pm vc ws st sa sn sc sl sg sk si sb so za gz es lk sd sr sj sz se ch sy tw tj tz "
        "th tg tk to tt tn tr tm tc tv ug ua ae gb um uy uz vu ve vn vg vi wf eh ye yu zm zw",
        " ");
    ASSERT_EQ(codes.size(), 238u);
    std::set<std::string> names;
    for (int id = 500; id <= 737; ++id) {
        const std::string& row = loadString(id);
        size_t comma = row.find(',');
        ASSERT_NE(comma, std::string::npos) << "country " << id;
        EXPECT_EQ(row.substr(0, comma), codes[static_cast<size_t>(id - 500)]) << "country " << id;
        std::string name = text::trim(row.substr(comma + 1));
        EXPECT_FALSE(name.empty()) << "country " << id;
        EXPECT_TRUE(names.insert(name).second) << "country name repeats: " << name;
    }
    EXPECT_EQ(loadString(500), "us,United States");
}

TEST(StringTableCountries, StoredSpellingsAreKept) {
    // Users' stored lists and name lookups match these exactly as written.
    std::set<std::string> rows;
    for (int id = 500; id <= 737; ++id) rows.insert(loadString(id));
    for (const char* row : {"cm,Bameroon", "co,Columbia", "cy,Cyrus", "ke,Kenya Cost Republic",
                            "hr,Croatia Republic of", "az,Azerbaijan Republic", "ga,Gabon Republic", "kz,Kazakstan",
                            "kp,Korea,Democratic People's Republic", "kr,Korea", "va,Vatican City State (Holy See)",
                            "ws,Western Samoa", "gz,South Georgia and South Sandwich Islands", "tp,East Timor",
                            "yu,Yugoslavia", "an,Netherlands Antilles", "um,US Minor Outlying Islands",
                            "fk,Falkland Islands (Islas Malvinas)", "cc,Cocos (Keeling) Islands", "ci,Cote D'Ivoire",
                            "ps,Palestinian Territory", "vg,Virgin Islands (British)", "vi,Virgin Islands (U.S.)"}) {
        EXPECT_TRUE(rows.count(row)) << row;
    }
}

}  // namespace
}  // namespace tw
