// Writes the sample free tables shipped beside the program: customers, products (with memo notes) and orders
// (with currency amounts and dates). Every value is made up here from a fixed seed, so each build writes the
// same rows.
#include "db/Value.h"
#include "db/vfp/table/FieldDef.h"
#include "db/vfp/table/TableFiles.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using db::vfp::FieldDef;

namespace {

// A small fixed-seed generator: the same sequence on every machine and compiler.
class Dice {
public:
    int roll(int sides)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((m_state >> 33) % static_cast<std::uint64_t>(sides));
    }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) { return items[roll(int(N))]; }

private:
    std::uint64_t m_state = 20210831;
};

const char* const NamePrefixes[] = {"North", "Blue",  "Stone", "Silver", "Maple", "Harbor",
                                    "Red",   "Amber", "Iron",  "Clear",  "Fern",  "Willow"};
const char* const NameSuffixes[] = {"field Traders", "gate Supplies", "wood Foods",    "brook Goods",
                                    "ridge Imports", "haven Market",  "vale Textiles", "crest Tools"};
const char* const Towns[] = {"Eastmere",  "Lowmoor",       "Brackenby",     "Kilnbridge", "Westerholt",
                             "Millhaven", "Orchard Cross", "Redcliff Quay", "Saltmarsh",  "Upper Dell"};
const char* const Countries[] = {"Corvania", "Haddland", "Estria", "Norvale", "Pellmark"};
const char* const Materials[] = {"Copper", "Linen", "Oak", "Enamel", "Glass", "Wool", "Slate", "Cedar"};
const char* const Things[] = {"Kettle", "Apron", "Stool", "Mug", "Lantern", "Blanket", "Tray", "Box"};
const char* const Categories[] = {"Kitchen", "Home", "Garden", "Workshop"};
const char* const Notes[] = {
    "Hand finished; each piece differs a little.",
    "Seasonal item.\r\nReorder in spring.",
    "The supplier's own packaging, two to a carton.",
    "Fragile: ship with extra padding.",
    "Popular with repeat customers.",
};

void replaceTable(const fs::path& folder, const std::string& name, const std::vector<FieldDef>& fields)
{
    for (const char* extension : {".dbf", ".fpt", ".cdx"})
        fs::remove(folder / (name + extension));
    db::vfp::createTableFiles(folder / (name + ".dbf"), fields, 0x03);
}

FieldDef field(const char* name, char type, int length, int decimals = 0)
{
    return db::vfp::makeField(name, type, {.length = length, .decimals = decimals});
}

db::Date dateOf(int dayNumber) // days after 1 January 2019, months kept to 28 days for simplicity
{
    return db::Date{2019 + dayNumber / 336, 1 + (dayNumber / 28) % 12, 1 + dayNumber % 28};
}

void writeCustomers(const fs::path& folder, Dice& dice, int count)
{
    replaceTable(folder, "customers",
                 {field("CUSTID", 'I', 4), field("COMPANY", 'C', 30), field("TOWN", 'C', 20), field("COUNTRY", 'C', 15),
                  field("PHONE", 'C', 16), field("SINCE", 'D', 8), field("ACTIVE", 'L', 1)});
    db::vfp::TableAppender table(folder / "customers.dbf");
    for (int id = 1; id <= count; ++id) {
        std::string company = std::string(dice.pick(NamePrefixes)) + dice.pick(NameSuffixes);
        std::string phone = "0";
        phone += std::to_string(100 + dice.roll(900));
        phone += ' ';
        phone += std::to_string(100000 + dice.roll(900000));
        table.append({db::Value(id), db::Value(company), db::Value(dice.pick(Towns)), db::Value(dice.pick(Countries)),
                      db::Value(phone), db::Value(dateOf(dice.roll(1000))), db::Value(dice.roll(5) != 0)});
    }
}

void writeProducts(const fs::path& folder, Dice& dice, int count)
{
    replaceTable(folder, "products",
                 {field("PRODID", 'I', 4), field("NAME", 'C', 30), field("CATEGORY", 'C', 15), field("PRICE", 'Y', 8),
                  field("INSTOCK", 'N', 6), field("NOTES", 'M', 4)});
    db::vfp::TableAppender table(folder / "products.dbf");
    for (int id = 1; id <= count; ++id) {
        std::string name = std::string(dice.pick(Materials)) + " " + dice.pick(Things) + " No. " + std::to_string(id);
        const std::int64_t cents = 199 + dice.roll(9800);
        table.append({db::Value(id), db::Value(name), db::Value(dice.pick(Categories)),
                      db::Value(db::Currency{cents * 100}), db::Value(std::int64_t(dice.roll(500))),
                      db::Value(std::string(dice.pick(Notes)))});
    }
}

void writeOrders(const fs::path& folder, Dice& dice, int count, int customers, int products)
{
    replaceTable(folder, "orders",
                 {field("ORDERID", 'I', 4), field("CUSTID", 'I', 4), field("PRODID", 'I', 4), field("ORDERED", 'D', 8),
                  field("SHIPPED", 'D', 8), field("QUANTITY", 'N', 5), field("AMOUNT", 'Y', 8)});
    db::vfp::TableAppender table(folder / "orders.dbf");
    for (int id = 1; id <= count; ++id) {
        const int ordered = dice.roll(1000);
        const int quantity = 1 + dice.roll(24);
        const std::int64_t unitCents = 199 + dice.roll(9800);
        table.append({db::Value(1000 + id), db::Value(1 + dice.roll(customers)), db::Value(1 + dice.roll(products)),
                      db::Value(dateOf(ordered)), db::Value(dateOf(ordered + 1 + dice.roll(10))),
                      db::Value(std::int64_t(quantity)), db::Value(db::Currency{unitCents * quantity * 100})});
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-samples <folder>\n";
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder);
        Dice dice;
        writeCustomers(folder, dice, 120);
        writeProducts(folder, dice, 60);
        writeOrders(folder, dice, 300, 120, 60);
    } catch (const std::exception& e) {
        std::cerr << "make-samples: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
