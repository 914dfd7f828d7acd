/* Resource and control identifiers of mopwell. Shared by the .rc files and
   the C++ code; plain #defines only, so windres can read it. */
#ifndef MOPWELL_RESOURCE_H
#define MOPWELL_RESOURCE_H

/* Page dialogs */
#define IDD_CLEAN     100
#define IDD_VIEWER    300
#define IDD_KEEPER    400
#define IDD_SETTINGS  500
#define IDD_PREFS     600
#define IDD_DOCS      700
#define IDD_WELCOME   900

/* Pictures */
#define IDB_CLEAN     1160

/* System-menu commands */
#define IDM_VERSION   737
#define IDM_COPYDIAG  738
#define IDM_STOPAOL   739

/* Controls of the page dialogs follow (IDC_<PAGE>_<NAME>). */

#ifndef IDC_STATIC
#define IDC_STATIC    (-1)
#endif

/* Clean page (100). The welcome page (900) uses the same ids for the same
   controls; OK and Cancel are IDOK and IDCANCEL. */
#define IDC_CLEAN_USERID      125
#define IDC_CLEAN_NEWSRC      107
#define IDC_CLEAN_NEWSSUBS    108
#define IDC_CLEAN_MAIL        150
#define IDC_CLEAN_HISTORY     109
#define IDC_CLEAN_URLWIN      110
#define IDC_CLEAN_COOKIES     111
#define IDC_CLEAN_BOOKMARKS   112
#define IDC_CLEAN_CACHE       113
#define IDC_CLEAN_DOCS        153
#define IDC_CLEAN_HELP        120
#define IDC_CLEAN_PREVIEW     135
#define IDC_CLEAN_INFO1       133
#define IDC_CLEAN_INFO2       134
#define IDC_CLEAN_BOXFRAME    122
#define IDC_CLEAN_PICFRAME    123
#define IDC_CLEAN_INFOFRAME   124
#define IDC_CLEAN_PICTURE     1160

/* Welcome page (900): the product panel that replaces picture and status */
#define IDC_WELCOME_TITLE     104
#define IDC_WELCOME_TEXT1     114
#define IDC_WELCOME_TEXT2     115

/* Viewer page (300): "Show me" buttons and their result texts */
#define IDC_VIEWER_FRAME          106
#define IDC_VIEWER_USERID         119
#define IDC_VIEWER_NEWSGROUPS     120
#define IDC_VIEWER_NEWSDB         125
#define IDC_VIEWER_EMAIL          126
#define IDC_VIEWER_HISTORY        127
#define IDC_VIEWER_URLWIN         149
#define IDC_VIEWER_COOKIES        123
#define IDC_VIEWER_BOOKMARKS      105
#define IDC_VIEWER_CACHES         107
#define IDC_VIEWER_DOCS           108
#define IDC_VIEWER_USERID_TEXT    137
#define IDC_VIEWER_NEWSGROUPS_TEXT 138
#define IDC_VIEWER_NEWSDB_TEXT    139
#define IDC_VIEWER_EMAIL_TEXT     140
#define IDC_VIEWER_HISTORY_TEXT   141
#define IDC_VIEWER_URLWIN_TEXT    142
#define IDC_VIEWER_COOKIES_TEXT   143
#define IDC_VIEWER_BOOKMARKS_TEXT 144
#define IDC_VIEWER_CACHES_TEXT    145
#define IDC_VIEWER_DOCS_TEXT      146

/* Cookie keeper page (400) */
#define IDC_KEEPER_COLLECTED_FRAME 106
#define IDC_KEEPER_COLLECTED      147
#define IDC_KEEPER_HINT           101
#define IDC_KEEPER_KEPT_FRAME     122
#define IDC_KEEPER_KEPT           148
#define IDC_KEEPER_KEEP           156
#define IDC_KEEPER_REMOVE         157
#define IDC_KEEPER_SHOW           158
#define IDC_KEEPER_SAVE           151
#define IDC_KEEPER_UNDO           152

/* Settings page (500) */
#define IDC_SETTINGS_REAL_FRAME   106
#define IDC_SETTINGS_ALIAS_FRAME  122
#define IDC_SETTINGS_REAL_NAME    156
#define IDC_SETTINGS_REAL_EMAIL   157
#define IDC_SETTINGS_REAL_ORG     158
#define IDC_SETTINGS_REAL_SIG     159
#define IDC_SETTINGS_ALIAS_NAME   160
#define IDC_SETTINGS_ALIAS_EMAIL  161
#define IDC_SETTINGS_ALIAS_ORG    162
#define IDC_SETTINGS_ALIAS_SIG    163
#define IDC_SETTINGS_DIR          164
#define IDC_SETTINGS_V4           165
#define IDC_SETTINGS_V3           166
#define IDC_SETTINGS_SAVE         151
#define IDC_SETTINGS_UNDO         152
#define IDC_SETTINGS_REMINDER     104

/* Preferences page (600): check boxes, one per "Prefs" key */
#define IDC_PREFS_NEWS_FRAME      106
#define IDC_PREFS_SECURITY_FRAME  122
#define IDC_PREFS_EMAIL_FRAME     124
#define IDC_PREFS_NETCASTER       123
#define IDC_PREFS_RCG             105
#define IDC_PREFS_HOSTINFO        108
#define IDC_PREFS_SUBFOLDERS      109
#define IDC_PREFS_SENT            150
#define IDC_PREFS_DRAFT           114
#define IDC_PREFS_INBOX           119
#define IDC_PREFS_OUTBOX          120
#define IDC_PREFS_JAVA            113
#define IDC_PREFS_COOKBLOCK       110
#define IDC_PREFS_COOKWARN        111
#define IDC_PREFS_FATDB           112
#define IDC_PREFS_DIAG            125
#define IDC_PREFS_UNRECOVER       126
#define IDC_PREFS_BOOKBACK        127
#define IDC_PREFS_ALTCFG          149
#define IDC_PREFS_SAVE            151
#define IDC_PREFS_UNDO            152
#define IDC_PREFS_REMINDER        104

/* Documentation page (700) */
#define IDC_DOCS_FRAME            106
#define IDC_DOCS_HINT             101
#define IDC_DOCS_MOPWELL          150
#define IDC_DOCS_GLIMSO           122
#define IDC_DOCS_FETTLOR          123
#define IDC_DOCS_SETTINGS         105
#define IDC_DOCS_PREFS            107
#define IDC_DOCS_TROUBLE          108
#define IDC_DOCS_WARRANTY         109

#endif
