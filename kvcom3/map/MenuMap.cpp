// The display menu: events, and the menu items whose layout the sensor's menu header (or, on
// sensors without a flash processor, the processor version) decides.
#include "map/Map78.h"

namespace kvcom3 {

namespace {

// A button byte: what to execute (high nibble) and which menu item to go to (low nibble).
void button(kvArrayNodes& item, const std::string& name, const std::string& field, int i,
            std::int32_t adr) {
    kvArrayNodes& fields = *cell(item, indexed(name, i), adr, 1)->Nodes();
    cell(fields, indexed("MenuItemBut" + field + "Exe_", i), adr, 1, 240);
    cell(fields, indexed("MenuItemBut" + field + "MI_", i), adr, 1, 15);
}

void firstByte(kvArrayNodes& item, const char* third, int i, std::int32_t a) {
    cell(item, indexed("MenuItemTimeOut_", i), a, 1, 128);
    cell(item, indexed("MenuItemOpCode_", i), a, 1, 112);
    cell(item, indexed(third, i), a, 1, 15);
}

// Sixteen items of 8 bytes from `start`.
void shortItems(kvArrayNodes& items, std::int32_t start) {
    for (int i = 0; i < 16; ++i) {
        const std::int32_t a = start + 8 * i;
        kvArrayNodes& item = group(items, indexed("MenuItem_", i));
        firstByte(item, "MenuItemMPar0_", i, a);
        for (int p = 1; p <= 4; ++p)
            cell(item, indexed("MenuItemMPar" + std::to_string(p) + "_", i), a + p, 1);
        button(item, "MenuItemButEsc_", "Esc", i, a + 5);
        button(item, "MenuItemButMenu_", "Menu", i, a + 6);
        button(item, "MenuItemButDbl_", "Dbl", i, a + 7);
    }
}

// Sixteen items of 16 bytes from `start`.
void longItems(kvArrayNodes& items, std::int32_t start) {
    for (int i = 0; i < 16; ++i) {
        const std::int32_t a = start + 16 * i;
        kvArrayNodes& item = group(items, indexed("MenuItem_", i));
        firstByte(item, "MenuItemShowBottom_", i, a);
        for (int p = 1; p <= 4; ++p)
            cell(item, indexed("dPar" + std::to_string(p) + "u_", i), a + p, 1);
        for (int p = 1; p <= 4; ++p)
            cell(item, indexed("dPar" + std::to_string(p) + "b_", i), a + 4 + p, 1);
        cell(item, indexed("exePar_", i), a + 9, 1);
        button(item, "BUTEsc_", "Esc", i, a + 10);
        button(item, "BUTMenu_", "Menu", i, a + 11);
        button(item, "BUTDbl_", "Dbl", i, a + 12);
        cell(item, indexed("MenuDir_", i), a + 13, 1);
        cell(item, indexed("Reserved1_", i), a + 14, 1);
        cell(item, indexed("Reserved2_", i), a + 15, 1);
    }
}

// The header, then the items in the layout its menu number names.
void itemsByHeader(Map78& map, kvArrayNodes& items, std::int32_t base) {
    kvArrayNodes& header = group(items, "MenuItemsHeader");
    cell(header, "MenuItemsHeader_DisplayNr", base, 1);
    cell(header, "MenuItemsHeader_MenuNr", base + 1, 1);
    cell(header, "MenuItemsHeader_LEDAckBatNr", base + 2, 1);
    for (int i = 3; i <= 15; ++i) cell(header, indexed("MenuItemsHeaderByte_", i), base + i, 1);
    switch (map.read("eaMenuItemsHeader_MenuNr")) {
        case 1: shortItems(items, base + 16); break;
        case 2: longItems(items, base + 16); break;
        default: break;
    }
}

}  // namespace

void addMenu(Map78& map, kvArrayNodes& eeprom) {
    kvArrayNodes& menu = group(eeprom, "Menu");
    kvArrayNodes& events = group(menu, "Events");
    for (int i = 0; i < 4; ++i) {
        const std::int32_t adr = -216 + i;
        kvArrayNodes& fields = *cell(events, indexed("Event_", i), adr, 1)->Nodes();
        cell(fields, indexed("EventExe_", i), adr, 1, 240);
        cell(fields, indexed("EventMI_", i), adr, 1, 15);
    }
    kvArrayNodes& items = group(menu, "MenuItems");
    const int processorVersion = map.full ? 1 : map.adr.ProcessorVersion();
    const std::int32_t base = map.read("eaBa_MENU");
    if (processorVersion == 1) {
        itemsByHeader(map, items, base);
    } else if (processorVersion == 0) {
        shortItems(items, base);
    }
}

}  // namespace kvcom3
