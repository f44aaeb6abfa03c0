#pragma once
// The members the public documentation of the standard units lists for each class: for
// components their published properties and events (what a form stores and a program sets),
// for the other classes their public methods and properties. "@control" and "@windowed" stand
// for what every control, and every windowed control, publishes. Members of the class's
// ancestors are listed only where the documentation publishes them for the class itself.

#include <map>
#include <string>
#include <string_view>

namespace vorlan::testing {

inline const std::map<std::string_view, std::string_view>& documentedGroups() {
    static const std::map<std::string_view, std::string_view> groups = {
        {"@control",
         "Align Color Cursor DragCursor DragMode Enabled Font Height Hint Left Name ParentColor "
         "ParentFont ParentShowHint PopupMenu ShowHint Tag Top Visible Width OnClick OnDblClick "
         "OnDragDrop OnDragOver OnEndDrag OnMouseDown OnMouseMove OnMouseUp OnStartDrag"},
        {"@windowed", "@control Ctl3D ParentCtl3D TabOrder TabStop HelpContext OnEnter OnExit "
                      "OnKeyDown OnKeyPress OnKeyUp"},
        {"@dialog", "Ctl3D HelpContext Name Tag Execute"},
        {"@filedialog", "@dialog DefaultExt FileName Files Filter FilterIndex HistoryList "
                        "InitialDir Options Title OnCanClose OnClose OnShow"},
        {"@exception", "Message HelpContext"},
        {"@parts", "Add Clear Count Items BeginUpdate EndUpdate Delete"},
    };
    return groups;
}

inline const std::map<std::string_view, std::string_view>& documentedMembers() {
    static const std::map<std::string_view, std::string_view> members = {
        // BUTTONS
        {"TBitBtn", "@windowed Cancel Caption Default Glyph Kind Layout Margin ModalResult "
                    "NumGlyphs Spacing Style Click"},
        {"TSpeedButton", "@control AllowAllUp Caption Down Flat Glyph GroupIndex Layout Margin "
                         "NumGlyphs Spacing Click"},
        // CHECKLST
        {"TCheckListBox", "@windowed BorderStyle Columns ExtendedSelect IntegralHeight "
                          "ItemHeight Items MultiSelect Sorted Style OnClickCheck OnDrawItem "
                          "OnMeasureItem Checked State ItemEnabled ItemIndex Clear"},
        // CLASSES
        {"TPersistent", "Assign"},
        {"TComponent", "ComponentCount Components ComponentIndex Owner Name Tag FindComponent"},
        {"TList", "Add Clear Delete Exchange Expand Extract First IndexOf Insert Last Move Pack "
                  "Remove Sort Capacity Count Items"},
        {"TStrings",
         "Add AddObject AddStrings Append Assign BeginUpdate Clear Delete EndUpdate Equals "
         "Exchange IndexOf IndexOfName IndexOfObject Insert InsertObject LoadFromFile "
         "LoadFromStream Move SaveToFile SaveToStream Capacity CommaText Count DelimitedText "
         "Delimiter Names Objects QuoteChar Strings Text Values"},
        {"TStringList", "Find Sort CaseSensitive Duplicates Sorted OnChange OnChanging"},
        {"TStream", "CopyFrom Read ReadBuffer ReadComponent Seek Write WriteBuffer WriteComponent "
                    "Position Size"},
        {"TMemoryStream", "Clear LoadFromFile LoadFromStream SaveToFile SaveToStream SetSize "
                          "Memory"},
        {"TStringStream", "ReadString WriteString DataString"},
        {"TFileStream", "Handle"},
        {"TCollection", "Add BeginUpdate Clear Delete EndUpdate FindItemID Insert Count "
                        "ItemClass Items"},
        {"TCollectionItem", "Collection DisplayName ID Index"},
        // CLIPBRD
        {"TClipboard", "Assign Clear Close GetAsHandle GetComponent GetTextBuf HasFormat Open "
                       "SetAsHandle SetComponent SetTextBuf AsText FormatCount Formats"},
        // COMCTRLS
        {"TTabControl", "@windowed HotTrack Images MultiLine MultiSelect OwnerDraw RaggedRight "
                        "ScrollOpposite Style TabHeight TabIndex TabPosition Tabs TabWidth "
                        "OnChange OnChanging OnDrawTab OnGetImageIndex"},
        {"TPageControl", "@windowed ActivePage HotTrack Images MultiLine OwnerDraw RaggedRight "
                         "ScrollOpposite Style TabHeight TabPosition TabWidth OnChange "
                         "OnChanging OnDrawTab OnGetImageIndex PageCount Pages ActivePageIndex "
                         "SelectNextPage FindNextPage"},
        {"TTabSheet", "@windowed Caption ImageIndex PageControl PageIndex TabVisible TabIndex "
                      "OnHide OnShow"},
        {"TStatusBar", "@windowed AutoHint Panels SimplePanel SimpleText SizeGrip "
                       "UseSystemFont OnDrawPanel OnResize"},
        {"TStatusPanel", "Alignment Bevel Style Text Width Index"},
        {"TStatusPanels", "@parts Insert"},
        {"THeaderControl", "@windowed DragReorder FullDrag HotTrack Images Sections Style "
                           "OnDrawSection OnResize OnSectionClick OnSectionDrag "
                           "OnSectionResize OnSectionTrack"},
        {"THeaderSection", "AllowClick Alignment AutoSize ImageIndex MaxWidth MinWidth Style "
                           "Text Width Left Right Index"},
        {"THeaderSections", "@parts Insert"},
        {"TProgressBar", "@windowed Max Min Orientation Position Smooth Step StepBy StepIt"},
        {"TTrackBar", "@windowed Frequency LineSize Max Min Orientation PageSize Position SelEnd "
                      "SelStart SliderVisible ThumbLength TickMarks TickStyle OnChange SetTick"},
        {"TUpDown", "@windowed AlignButton ArrowKeys Associate Increment Max Min Orientation "
                    "Position Thousands Wrap OnChanging"},
        {"THotKey", "@windowed AutoSize BorderWidth HotKey InvalidKeys Modifiers OnChange"},
        {"TAnimate", "@windowed Active AutoSize Center CommonAVI FileName FrameCount "
                     "FrameHeight FrameWidth Open Repetitions StartFrame StopFrame Timers "
                     "Transparent OnClose OnOpen OnStart OnStop Play Reset Seek Stop"},
        {"TTreeView", "@windowed AutoExpand BorderStyle ChangeDelay HideSelection HotTrack "
                      "Images Indent Items ReadOnly RightClickSelect RowSelect ShowButtons "
                      "ShowLines ShowRoot SortType StateImages ToolTips OnChange OnChanging "
                      "OnCollapsed OnCollapsing OnCompare OnCustomDraw OnCustomDrawItem "
                      "OnDeletion OnEdited OnEditing OnExpanded OnExpanding OnGetImageIndex "
                      "OnGetSelectedIndex Selected TopItem FullCollapse FullExpand AlphaSort "
                      "GetNodeAt LoadFromFile SaveToFile"},
        {"TTreeNode",
         "AbsoluteIndex Count Cut Data Deleting Expanded Focused HasChildren ImageIndex Index "
         "IsVisible Item Level OverlayIndex Owner Parent Selected SelectedIndex StateIndex Text "
         "TreeView AlphaSort Collapse Delete DeleteChildren EditText EndEdit Expand "
         "GetFirstChild GetLastChild GetNext GetNextChild GetNextSibling GetNextVisible GetPrev "
         "GetPrevChild GetPrevSibling GetPrevVisible HasAsParent IndexOf MakeVisible MoveTo"},
        {"TTreeNodes", "Add AddChild AddChildFirst AddChildObject AddChildObjectFirst AddFirst "
                       "AddObject AddObjectFirst BeginUpdate Clear Delete EndUpdate "
                       "GetFirstNode Insert InsertObject Count Item Owner"},
        {"TListView", "@windowed AllocBy BorderStyle Checkboxes ColumnClick Columns GridLines "
                      "HideSelection HotTrack IconOptions Items LargeImages MultiSelect "
                      "ReadOnly RowSelect ShowColumnHeaders SmallImages SortType StateImages "
                      "ViewStyle OnChange OnChanging OnColumnClick OnCompare OnDeletion "
                      "OnEdited OnEditing OnInsert Selected ItemFocused TopItem AlphaSort "
                      "FindCaption GetItemAt"},
        {"TListItem", "Caption Checked Cut Data Deleting DropTarget Focused ImageIndex Index "
                      "Left Owner Selected StateIndex SubItems Top Delete MakeVisible "
                      "EditCaption"},
        {"TListItems", "Add BeginUpdate Clear Delete EndUpdate IndexOf Insert Count Item Owner"},
        {"TListColumn", "Alignment AutoSize Caption ImageIndex MaxWidth MinWidth Width Index"},
        {"TListColumns", "@parts"},
        {"TDateTimePicker", "@windowed CalAlignment Date Time Checked DateFormat DateMode Kind "
                            "MaxDate MinDate ParseInput ShowCheckbox OnChange OnCloseUp "
                            "OnDropDown OnUserInput"},
        {"TMonthCalendar", "@windowed Date EndDate FirstDayOfWeek MaxDate MaxSelectRange "
                           "MinDate MultiSelect ShowToday ShowTodayCircle WeekNumbers "
                           "OnGetMonthInfo"},
        {"TToolBar", "@windowed AutoSize ButtonCount Buttons ButtonHeight ButtonWidth "
                     "DisabledImages EdgeBorders EdgeInner EdgeOuter Flat HotImages Images "
                     "Indent List ShowCaptions Wrapable"},
        {"TToolButton", "@control AllowAllUp AutoSize Caption Down DropdownMenu Grouped "
                        "ImageIndex Indeterminate Marked MenuItem Style Wrap Index Click"},
        {"TRichEdit", "@windowed Alignment BorderStyle HideScrollBars HideSelection Lines "
                      "MaxLength PlainText ReadOnly ScrollBars WantReturns WantTabs WordWrap "
                      "OnChange OnProtectChange OnResizeRequest OnSaveClipboard "
                      "OnSelectionChange DefAttributes SelAttributes Paragraph SelStart "
                      "SelLength SelText Text Clear ClearSelection CopyToClipboard "
                      "CutToClipboard PasteFromClipboard SelectAll FindText Print"},
        // COMOBJ
        {"EOleError", "@exception"},
        {"EOleSysError", "@exception ErrorCode"},
        // CONTROLS
        {"TControl", "BringToFront SendToBack Show Hide Invalidate Refresh Repaint Update "
                     "SetBounds ClientToScreen ScreenToClient Parent ClientHeight ClientWidth "
                     "BoundsRect"},
        {"TWinControl", "CanFocus Focused SetFocus ControlCount Controls Handle Showing "
                        "ContainsControl FindNextControl SelectNext"},
        {"TGraphicControl", ""},
        {"TImageList", "AllocBy BkColor BlendColor DrawingStyle Height ImageType Masked "
                       "ShareImages Width OnChange Add AddMasked Clear Count Delete Draw "
                       "GetBitmap Replace"},
        // DB
        {"TDataSet", ""},
        {"TField", "AsBoolean AsCurrency AsDateTime AsFloat AsInteger AsString AsVariant "
                   "DataSet DataType DisplayLabel DisplayText DisplayWidth FieldName FieldNo "
                   "IsNull ReadOnly Required Size Text Value Visible Alignment Index Clear "
                   "FocusControl OnChange OnGetText OnSetText OnValidate"},
        {"TDataSource", "AutoEdit DataSet Enabled Name Tag OnDataChange OnStateChange "
                        "OnUpdateData State Edit"},
        // DBCTRLS
        {"TDBEdit", "@windowed AutoSelect AutoSize BorderStyle CharCase DataField DataSource "
                    "MaxLength PasswordChar ReadOnly OnChange Field Text"},
        {"TDBText", "@control Alignment AutoSize DataField DataSource Transparent WordWrap Field"},
        {"TDBCheckBox", "@windowed Alignment AllowGrayed Caption DataField DataSource ReadOnly "
                        "ValueChecked ValueUnchecked Checked Field State"},
        {"TDBComboBox", "@windowed DataField DataSource DropDownCount ItemHeight Items "
                        "MaxLength ReadOnly Sorted Style OnChange OnDrawItem OnDropDown "
                        "OnMeasureItem Field Text ItemIndex"},
        {"TDBListBox", "@windowed BorderStyle DataField DataSource IntegralHeight ItemHeight "
                       "Items ReadOnly Style OnDrawItem OnMeasureItem Field ItemIndex"},
        {"TDBRadioGroup", "@windowed Caption Columns DataField DataSource Items ReadOnly Values "
                          "OnChange Field ItemIndex Value"},
        {"TDBMemo", "@windowed Alignment AutoDisplay BorderStyle DataField DataSource MaxLength "
                    "ReadOnly ScrollBars WantReturns WantTabs WordWrap OnChange Field Lines "
                    "LoadMemo"},
        {"TDBImage", "@windowed AutoDisplay BorderStyle Center DataField DataSource ReadOnly "
                     "Stretch Field Picture LoadPicture CopyToClipboard CutToClipboard "
                     "PasteFromClipboard"},
        {"TDBNavigator", "@windowed ConfirmDelete DataSource Flat Hints VisibleButtons "
                         "BtnClick"},
        {"TDBLookupListBox", "@windowed DataField DataSource KeyField ListField ListFieldIndex "
                             "ListSource ReadOnly RowCount KeyValue SelectedItem Field"},
        {"TDBLookupComboBox", "@windowed DataField DataSource DropDownAlign DropDownRows "
                              "DropDownWidth KeyField ListField ListFieldIndex ListSource "
                              "ReadOnly KeyValue Text Field ListVisible CloseUp DropDown"},
        // DBGRIDS
        {"TDBGrid", "@windowed BorderStyle Columns DataSource DefaultDrawing FixedColor Options "
                    "ReadOnly TitleFont OnCellClick OnColEnter OnColExit OnColumnMoved "
                    "OnDrawColumnCell OnEditButtonClick OnTitleClick SelectedField "
                    "SelectedIndex Fields FieldCount"},
        {"TColumn", "Alignment ButtonStyle Color DropDownRows Expanded FieldName Font PickList "
                    "ReadOnly Title Visible Width Field Index"},
        {"TColumnTitle", "Alignment Caption Color Font"},
        {"TDBGridColumns", "Add Clear Count Items State RebuildColumns RestoreDefaults"},
        // DBLOOKUP
        {"TDBLookupCombo", "@windowed DataField DataSource LookupDisplay LookupField "
                           "LookupSource Options ReadOnly Style DropDownCount DropDownWidth "
                           "Value DisplayValue Text"},
        {"TDBLookupList", "@windowed DataField DataSource LookupDisplay LookupField "
                          "LookupSource Options ReadOnly Value DisplayValue"},
        // DIALOGS
        {"TCommonDialog", "@dialog"},
        {"TOpenDialog", "@filedialog"},
        {"TSaveDialog", "@filedialog"},
        {"TFontDialog", "@dialog Device Font MaxFontSize MinFontSize Options OnApply"},
        {"TColorDialog", "@dialog Color CustomColors Options"},
        {"TPrintDialog", "@dialog Collate Copies FromPage MaxPage MinPage Options PrintRange "
                         "PrintToFile ToPage"},
        {"TPrinterSetupDialog", "@dialog"},
        {"TFindDialog", "@dialog FindText Options Position Left Top OnFind CloseDialog"},
        {"TReplaceDialog", "@dialog FindText Options ReplaceText OnFind OnReplace CloseDialog"},
        // EXTCTRLS
        {"TShape", "@control Brush Pen Shape"},
        {"TImage", "@control AutoSize Center Picture Stretch Transparent Canvas"},
        {"TBevel", "Align Height Hint Left Name ParentShowHint Shape ShowHint Style Tag Top "
                   "Visible Width"},
        {"TTimer", "Enabled Interval Name Tag OnTimer"},
        {"TPanel", "@windowed Alignment AutoSize BevelInner BevelOuter BevelWidth BorderStyle "
                   "BorderWidth Caption FullRepaint Locked OnResize"},
        {"TPage", "@windowed Caption"},
        {"TNotebook", "@windowed ActivePage PageIndex Pages OnPageChanged"},
        {"TRadioGroup", "@windowed Caption Columns ItemIndex Items"},
        {"TSplitter", "Align Beveled Color Cursor Height Hint Left MinSize Name ParentColor "
                      "ResizeStyle Tag Top Visible Width OnCanResize OnMoved OnPaint"},
        {"TPaintBox", "@control Canvas OnPaint"},
        // EXTDLGS
        {"TOpenPictureDialog", "@filedialog"},
        {"TSavePictureDialog", "@filedialog"},
        // FILECTRL
        {"TFileListBox", "@windowed Directory Drive ExtendedSelect FileEdit FileName FileType "
                         "IntegralHeight ItemHeight Mask MultiSelect ShowGlyphs OnChange Items "
                         "ItemIndex Update ApplyFilePath"},
        {"TDirectoryListBox", "@windowed DirLabel Directory Drive FileList IntegralHeight "
                              "ItemHeight OnChange Items ItemIndex GetItemPath OpenCurrent "
                              "Update"},
        {"TDriveComboBox", "@windowed DirList Drive TextCase OnChange OnDropDown Items "
                           "ItemIndex Text"},
        {"TFilterComboBox", "@windowed FileList Filter Mask OnChange Items ItemIndex Text"},
        // FORMS
        {"TForm",
         "ActiveControl AutoScroll BorderIcons BorderStyle Caption ClientHeight ClientWidth "
         "Color Ctl3D Cursor Enabled Font FormStyle Height HelpContext Hint HorzScrollBar Icon "
         "KeyPreview Left Menu Name ParentFont PixelsPerInch PopupMenu Position PrintScale "
         "Scaled ShowHint Tag Top VertScrollBar Visible Width WindowMenu WindowState "
         "OnActivate OnClick OnClose OnCloseQuery OnCreate OnDblClick OnDeactivate OnDestroy "
         "OnDragDrop OnDragOver OnHide OnKeyDown OnKeyPress OnKeyUp OnMouseDown OnMouseMove "
         "OnMouseUp OnPaint OnResize OnShow Canvas ModalResult Active Close Hide Print Release "
         "Show ShowModal SetFocus BringToFront"},
        {"TApplication", "Active ExeName HelpFile Hint HintColor HintPause HintHidePause "
                         "MainForm ShowHint Terminated Title Icon OnActivate OnDeactivate "
                         "OnException OnHint OnIdle OnMessage OnMinimize OnRestore "
                         "BringToFront CreateForm HandleException HelpCommand HelpContext "
                         "Initialize MessageBox Minimize ProcessMessages Restore Run "
                         "ShowException Terminate"},
        {"TScreen", "ActiveControl ActiveForm Cursor Cursors FormCount Forms Fonts Height "
                    "Width PixelsPerInch DataModuleCount DataModules OnActiveControlChange "
                    "OnActiveFormChange"},
        {"TScrollBox", "@windowed AutoScroll BorderStyle HorzScrollBar VertScrollBar OnResize "
                       "ScrollInView"},
        {"TDataModule", "Name Tag OnCreate OnDestroy"},
        // GRAPHICS
        {"TFont", "Charset Color Height Name Pitch Size Style OnChange Assign"},
        {"TPen", "Color Mode Style Width OnChange Assign"},
        {"TBrush", "Bitmap Color Style OnChange Assign"},
        {"TCanvas", "Brush CopyMode Font Pen PenPos Pixels ClipRect Handle OnChange OnChanging "
                    "Arc BrushCopy Chord CopyRect Draw DrawFocusRect Ellipse FillRect "
                    "FloodFill FrameRect LineTo MoveTo Pie Polygon Polyline Rectangle Refresh "
                    "RoundRect StretchDraw TextHeight TextOut TextRect TextWidth"},
        {"TPicture", "Bitmap Graphic Height Icon Metafile Width OnChange Assign LoadFromFile "
                     "SaveToFile LoadFromClipboardFormat SaveToClipboardFormat"},
        {"TGraphic", "Empty Height Modified Width OnChange LoadFromFile SaveToFile "
                     "LoadFromStream SaveToStream Assign"},
        {"TBitmap", "Canvas Handle Height Monochrome Palette Transparent TransparentColor "
                    "TransparentMode Width Empty Assign Dormant FreeImage LoadFromFile "
                    "SaveToFile LoadFromStream SaveToStream Mask ReleaseHandle"},
        // GRIDS
        {"TStringGrid", "@windowed BorderStyle ColCount DefaultColWidth DefaultDrawing "
                        "DefaultRowHeight FixedColor FixedCols FixedRows GridLineWidth Options "
                        "RowCount ScrollBars OnColumnMoved OnDrawCell OnGetEditMask "
                        "OnGetEditText OnRowMoved OnSelectCell OnSetEditText OnTopLeftChanged "
                        "Cells Cols ColWidths Objects RowHeights Rows Col Row LeftCol TopRow "
                        "Selection EditorMode VisibleColCount VisibleRowCount MouseToCell "
                        "CellRect"},
        {"TDrawGrid", "@windowed BorderStyle ColCount DefaultColWidth DefaultDrawing "
                      "DefaultRowHeight FixedColor FixedCols FixedRows GridLineWidth Options "
                      "RowCount ScrollBars OnColumnMoved OnDrawCell OnGetEditMask "
                      "OnGetEditText OnRowMoved OnSelectCell OnSetEditText OnTopLeftChanged "
                      "Col Row ColWidths RowHeights LeftCol TopRow Selection CellRect "
                      "MouseToCell"},
        // MASK
        {"TMaskEdit", "@windowed AutoSelect AutoSize BorderStyle CharCase EditMask MaxLength "
                      "PasswordChar ReadOnly Text OnChange EditText IsMasked SelStart "
                      "SelLength SelText Clear SelectAll ValidateEdit"},
        // MENUS
        {"TMenu", "Items Images Name Tag"},
        {"TMainMenu", "AutoMerge Items Images Name Tag Merge Unmerge"},
        {"TPopupMenu", "Alignment AutoPopup HelpContext Items Images Name Tag OnPopup Popup "
                       "PopupComponent"},
        {"TMenuItem", "Break Caption Checked Default Enabled GroupIndex HelpContext Hint "
                      "ImageIndex RadioItem ShortCut Visible Name Tag OnClick Count Items "
                      "Parent MenuIndex Add Clear Click Delete IndexOf Insert Remove"},
        // MPLAYER
        {"TMediaPlayer", "@windowed AutoEnable AutoOpen AutoRewind ColoredButtons DeviceType "
                         "Display DisplayRect EnabledButtons FileName Frames Length Mode "
                         "Notify NotifyValue Position Shareable Start StartPos TimeFormat "
                         "TrackLength Tracks VisibleButtons Wait OnNotify OnPostClick Back "
                         "Close Eject Next Open Pause Play Previous Resume Rewind Save "
                         "StartRecording Step Stop"},
        // OUTLINE
        {"TOutline", "@windowed BorderStyle ItemHeight Lines Options OutlineStyle "
                     "PictureClosed PictureLeaf PictureMinus PictureOpen PicturePlus "
                     "ScrollBars Style OnCollapse OnDrawItem OnExpand ItemCount Items "
                     "SelectedItem Text Add AddChild AddChildObject AddObject Clear "
                     "FullCollapse FullExpand GetTextItem Insert Delete BeginUpdate EndUpdate "
                     "LoadFromFile SaveToFile"},
        // PRINTERS
        {"TPrinter", "Aborted Canvas Capabilities Copies Fonts Handle Orientation PageHeight "
                     "PageNumber PageWidth PrinterIndex Printers Printing Title Abort BeginDoc "
                     "EndDoc NewPage GetPrinter SetPrinter"},
        // REGISTRY
        {"TRegistry",
         "CurrentKey CurrentPath LazyWrite RootKey CloseKey CreateKey DeleteKey DeleteValue "
         "GetDataInfo GetDataSize GetDataType GetKeyInfo GetKeyNames GetValueNames HasSubKeys "
         "KeyExists LoadKey MoveKey OpenKey OpenKeyReadOnly ReadBinaryData ReadBool "
         "ReadCurrency ReadDate ReadDateTime ReadFloat ReadInteger ReadString ReadTime "
         "RegistryConnect RenameValue ReplaceKey RestoreKey SaveKey UnLoadKey ValueExists "
         "WriteBinaryData WriteBool WriteCurrency WriteDate WriteDateTime WriteExpandString "
         "WriteFloat WriteInteger WriteString WriteTime"},
        {"TRegIniFile", "FileName DeleteKey EraseSection ReadBool ReadInteger ReadSection "
                        "ReadSections ReadSectionValues ReadString WriteBool WriteInteger "
                        "WriteString"},
        {"ERegistryException", "@exception"},
        // STDCTRLS
        {"TLabel", "@control Alignment AutoSize Caption FocusControl Layout ShowAccelChar "
                   "Transparent WordWrap"},
        {"TEdit", "@windowed AutoSelect AutoSize BorderStyle CharCase HideSelection MaxLength "
                  "OEMConvert PasswordChar ReadOnly Text OnChange Modified SelStart SelLength "
                  "SelText Clear ClearSelection CopyToClipboard CutToClipboard "
                  "PasteFromClipboard SelectAll"},
        {"TMemo", "@windowed Alignment BorderStyle HideSelection Lines MaxLength OEMConvert "
                  "ReadOnly ScrollBars WantReturns WantTabs WordWrap OnChange Text Modified "
                  "SelStart SelLength SelText Clear CopyToClipboard CutToClipboard "
                  "PasteFromClipboard SelectAll"},
        {"TButton", "@windowed Cancel Caption Default ModalResult Click"},
        {"TCheckBox", "@windowed Alignment AllowGrayed Caption Checked State"},
        {"TRadioButton", "@windowed Alignment Caption Checked"},
        {"TListBox", "@windowed BorderStyle Columns ExtendedSelect IntegralHeight ItemHeight "
                     "Items MultiSelect Sorted Style OnDrawItem OnMeasureItem ItemIndex "
                     "SelCount Selected TopIndex Clear ItemAtPos ItemRect"},
        {"TComboBox", "@windowed DropDownCount ItemHeight Items MaxLength Sorted Style Text "
                      "OnChange OnDrawItem OnDropDown OnMeasureItem ItemIndex SelStart "
                      "SelLength SelText DroppedDown Clear SelectAll"},
        {"TScrollBar", "@windowed Kind LargeChange Max Min PageSize Position SmallChange "
                       "OnChange OnScroll SetParams"},
        {"TGroupBox", "@windowed Caption"},
        {"TStaticText", "@windowed Alignment AutoSize BorderStyle Caption FocusControl "
                        "ShowAccelChar"},
        // SYSUTILS: every exception class answers what Exception does.
        {"Exception", "@exception"},
        // TABNOTBK
        {"TTabbedNotebook", "@windowed ActivePage PageIndex Pages TabFont TabsPerRow OnChange "
                            "GetIndexForPage"},
        {"TTabPage", "@windowed Caption"},
        // TABS
        {"TTabSet", "@windowed AutoScroll BackgroundColor DitherBackground EndMargin "
                    "FirstIndex SelectedColor StartMargin Style TabHeight TabIndex Tabs "
                    "UnselectedColor VisibleTabs OnChange OnDrawTab OnMeasureTab ItemAtPos "
                    "ItemRect SelectNext"},
    };
    return members;
}

} // namespace vorlan::testing
