// Resource and command identifiers of glimso.
#pragma once

#define IDS_APPNAME 1      // "glimso": class name, first title, icon and menu name
#define IDM_RETURN 101     // the menu's only item: close and so go back to mopwell
#define IDM_OPEN 103       // posted at creation: open the file and set up the view
#define IDM_HOME 104       // the Home key: to the top
