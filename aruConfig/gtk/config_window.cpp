// The GTK 3 configuration window: builds the controls, copies the model's state into them after
// every change, turns the user's actions into calls of the tool, and shows its message boxes as
// GTK message dialogs.
#include "gtk/config_window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace aruconfig {

namespace {

constexpr const char* kStyle =
    "window, window * { font-family: Verdana, sans-serif; font-size: 10pt; }\n"
    ".banner { padding: 6px; border-bottom: 1px solid alpha(currentColor, 0.2); }\n";

constexpr int kListIds[] = {kAdapterList, kDeviceList, kFormatList, kModeList, kAntiAliasList, kFilterList};
constexpr int kToggleIds[] = {kFullScreenCheck, kAntiAliasCheck, kShowFpsCheck, kPureDeviceCheck};
constexpr int kButtonIds[] = {kLaunchButton, kExitButton, kTestButton};

bool SameItems(const std::vector<ComboItem>& a, const std::vector<ComboItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].value != b[i].value) return false;
  }
  return true;
}

// The dialog's texts with access keys (Alt and the underlined letter).
const char* Mnemonic(int id) {
  switch (id) {
    case kLaunchButton: return "_Launch";
    case kExitButton: return "E_xit";
    case kTestButton: return "_Test";
    case kFullScreenCheck: return "_Full Screen";
    case kAntiAliasCheck: return "A_nti-Alias:";
    case kShowFpsCheck: return "_Show FPS";
    case kPureDeviceCheck: return "_Pure Device";
    default: return "";
  }
}

GtkMessageType MessageTypeOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONWARNING: return GTK_MESSAGE_WARNING;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return (type & 0x0F) == MB_OK ? GTK_MESSAGE_INFO : GTK_MESSAGE_QUESTION;
  }
}

void AddAnswers(GtkDialog* dialog, UINT type) {
  switch (type & 0x0F) {
    case MB_YESNOCANCEL:
      gtk_dialog_add_buttons(dialog, "_Cancel", GTK_RESPONSE_CANCEL, "_No", GTK_RESPONSE_NO, "_Yes", GTK_RESPONSE_YES,
                             nullptr);
      gtk_dialog_set_default_response(dialog, (type & MB_DEFBUTTON3) ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_YES);
      break;
    case MB_YESNO:
      gtk_dialog_add_buttons(dialog, "_No", GTK_RESPONSE_NO, "_Yes", GTK_RESPONSE_YES, nullptr);
      gtk_dialog_set_default_response(dialog, GTK_RESPONSE_YES);
      break;
    default:
      gtk_dialog_add_button(dialog, "_OK", GTK_RESPONSE_OK);
      gtk_dialog_set_default_response(dialog, GTK_RESPONSE_OK);
      break;
  }
}

// The tool's texts carry their own line breaks: let them run wider than GTK's default.
void WidenMessage(GtkMessageDialog* dialog) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(dialog)));
  for (GList* child = children; child; child = child->next) {
    if (GTK_IS_LABEL(child->data)) gtk_label_set_max_width_chars(GTK_LABEL(child->data), 110);
  }
  g_list_free(children);
}

int AnswerOf(int response, UINT type) {
  switch (response) {
    case GTK_RESPONSE_YES: return IDYES;
    case GTK_RESPONSE_NO: return IDNO;
    case GTK_RESPONSE_OK: return IDOK;
    default: break;
  }
  // Closing the box: Cancel where there is one, No for a yes/no question, OK otherwise.
  switch (type & 0x0F) {
    case MB_YESNOCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}

}  // namespace

ConfigWindow::ConfigWindow() : tool_(&model_, this) { Build(); }

ConfigWindow::~ConfigWindow() {
  if (window_) gtk_widget_destroy(window_);
}

int ConfigWindow::Run() {
  gtk_widget_show_all(window_);
  Sync();
  if (!tool_.Start()) return 1;
  Sync();
  g_timeout_add(300, OnMapped, this);
  if (!model_.closed) gtk_main();
  return 0;
}

int ConfigWindow::Ask(const char* text, const char* caption, UINT type) {
  // Scripted answers for unattended runs, as the platform's own message boxes give them.
  if (std::getenv("ARU_MESSAGEBOX")) return MessageBoxA(nullptr, text, caption, type);
  // The dialog shows the state the question is about (the Test button disabled while testing).
  if (window_ && !syncing_) Sync();
  GtkWidget* dialog = gtk_message_dialog_new(window_ ? GTK_WINDOW(window_) : nullptr,
                                             static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             MessageTypeOf(type),
                                             GTK_BUTTONS_NONE, "%s", text);
  gtk_window_set_title(GTK_WINDOW(dialog), caption);
  WidenMessage(GTK_MESSAGE_DIALOG(dialog));
  AddAnswers(GTK_DIALOG(dialog), type);
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return AnswerOf(response, type);
}

void ConfigWindow::Build() {
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);

  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), kDialogCaption);
  gtk_window_set_icon_name(GTK_WINDOW(window_), "video-display");
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);

  GtkWidget* layout = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window_), layout);
  GtkWidget* status = AddLabel(kStatusText, model_.control(kStatusText).text.c_str());
  gtk_style_context_add_class(gtk_widget_get_style_context(status), "banner");
  gtk_label_set_xalign(GTK_LABEL(status), 0.0f);
  gtk_box_pack_start(GTK_BOX(layout), status, FALSE, FALSE, 0);

  GtkWidget* body = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
  gtk_container_set_border_width(GTK_CONTAINER(body), 12);
  gtk_box_pack_start(GTK_BOX(body), BuildChoices(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(body), BuildReport(), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(layout), body, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(layout), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(layout), BuildButtons(), FALSE, FALSE, 0);
}


GtkWidget* ConfigWindow::BuildChoices() {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 10);
  // Each row: a label whose access key focuses the list beside it.
  auto row = [&](int top, const char* mnemonic, int labelId, GtkWidget* list, int width) {
    GtkWidget* label = gtk_label_new_with_mnemonic(mnemonic);
    if (labelId) Register(labelId, label);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), list);
    gtk_grid_attach(GTK_GRID(grid), label, 0, top, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), list, 1, top, width, 1);
  };
  row(0, "_Adapter:", 0, AddList(kAdapterList), 2);
  row(1, "_Device:", kDeviceLabel, AddList(kDeviceList), 2);
  row(2, "_Resolution:", 0, AddList(kModeList), 1);
  GtkWidget* formats = AddList(kFormatList);
  gtk_widget_set_size_request(formats, 150, -1);
  gtk_grid_attach(GTK_GRID(grid), formats, 2, 2, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), AddCheck(kAntiAliasCheck), 0, 3, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), AddList(kAntiAliasList), 1, 3, 2, 1);
  row(4, "Texture F_ilter:", kFilterLabel, AddList(kFilterList), 2);

  GtkWidget* checks = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
  gtk_box_pack_start(GTK_BOX(checks), AddCheck(kFullScreenCheck), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(checks), AddCheck(kShowFpsCheck), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(checks), AddCheck(kPureDeviceCheck), FALSE, FALSE, 0);
  gtk_widget_set_margin_top(checks, 6);
  gtk_grid_attach(GTK_GRID(grid), checks, 0, 5, 3, 1);
  return grid;
}

GtkWidget* ConfigWindow::BuildReport() {
  reportStore_ = gtk_list_store_new(1, G_TYPE_STRING);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(reportStore_));
  g_object_unref(reportStore_);  // the view holds the store
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, "Capability", renderer, "text", 0, nullptr);
  Register(kCapabilityList, view);

  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_widget_set_size_request(scroller, 420, 250);
  gtk_container_add(GTK_CONTAINER(scroller), view);

  GtkWidget* frame = gtk_frame_new("Device Capabilities");
  gtk_container_add(GTK_CONTAINER(frame), scroller);
  return frame;
}

GtkWidget* ConfigWindow::BuildButtons() {
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  gtk_container_set_border_width(GTK_CONTAINER(row), 10);
  gtk_box_pack_start(GTK_BOX(row), AddButton(kTestButton), FALSE, FALSE, 0);
  GtkWidget* launch = AddButton(kLaunchButton);
  gtk_box_pack_end(GTK_BOX(row), launch, FALSE, FALSE, 0);
  gtk_box_pack_end(GTK_BOX(row), AddButton(kExitButton), FALSE, FALSE, 0);
  gtk_widget_set_can_default(launch, TRUE);
  gtk_style_context_add_class(gtk_widget_get_style_context(launch), "suggested-action");
  gtk_window_set_default(GTK_WINDOW(window_), launch);
  return row;
}

void ConfigWindow::Register(int id, GtkWidget* widget) {
  widgets_[id] = widget;
  gtk_widget_set_name(widget, std::to_string(id).c_str());
}

GtkWidget* ConfigWindow::AddList(int id) {
  GtkWidget* combo = gtk_combo_box_text_new();
  gtk_widget_set_hexpand(combo, TRUE);
  Register(id, combo);
  g_signal_connect(combo, "changed", G_CALLBACK(OnListChanged), this);
  return combo;
}

GtkWidget* ConfigWindow::AddCheck(int id) {
  GtkWidget* check = gtk_check_button_new_with_mnemonic(Mnemonic(id));
  Register(id, check);
  g_signal_connect(check, "toggled", G_CALLBACK(OnToggled), this);
  return check;
}

GtkWidget* ConfigWindow::AddButton(int id) {
  GtkWidget* button = gtk_button_new_with_mnemonic(Mnemonic(id));
  gtk_widget_set_size_request(button, 90, -1);
  Register(id, button);
  g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), this);
  return button;
}

GtkWidget* ConfigWindow::AddLabel(int id, const char* text) {
  GtkWidget* label = gtk_label_new(text);
  Register(id, label);
  return label;
}

// Copies the model into the widgets; the widgets' own signals are ignored meanwhile.
void ConfigWindow::Sync() {
  syncing_ = true;
  for (int id : kListIds) SyncList(id);
  for (int id : kToggleIds) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widgets_[id]), model_.control(id).checked);
  }
  for (auto& [id, widget] : widgets_) {
    const ControlState& state = model_.control(id);
    gtk_widget_set_sensitive(widget, state.enabled);
    gtk_widget_set_visible(widget, state.visible);
  }
  gtk_label_set_text(GTK_LABEL(widgets_[kStatusText]), model_.control(kStatusText).text.c_str());
  SyncReport();
  syncing_ = false;
}

void ConfigWindow::SyncList(int id) {
  GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(widgets_[id]);
  const std::vector<ComboItem>& items = model_.Items(id);
  if (!SameItems(items, shownItems_[id])) {
    gtk_combo_box_text_remove_all(combo);
    for (const ComboItem& item : items) gtk_combo_box_text_append_text(combo, item.text.c_str());
    shownItems_[id] = items;
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), model_.Selection(id));
}

void ConfigWindow::SyncReport() {
  if (model_.report == shownReport_) return;
  gtk_list_store_clear(reportStore_);
  for (const std::string& line : model_.report) {
    GtkTreeIter row;
    gtk_list_store_append(reportStore_, &row);
    gtk_list_store_set(reportStore_, &row, 0, line.c_str(), -1);
  }
  shownReport_ = model_.report;
}

void ConfigWindow::AfterEvent() {
  Sync();
  WriteGeometry();
  if (model_.closed) gtk_main_quit();
}

// With ARUCONFIG_GEOMETRY naming a file, writes "id x y width height" in screen coordinates
// for every visible control, so scripted tests can click them.
void ConfigWindow::WriteGeometry() const {
  const char* path = std::getenv("ARUCONFIG_GEOMETRY");
  GdkWindow* top = gtk_widget_get_window(window_);
  if (!path || !top) return;
  std::string temporary = std::string(path) + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "w");
  if (!file) return;
  int originX = 0, originY = 0;
  gdk_window_get_origin(top, &originX, &originY);
  for (const auto& [id, widget] : widgets_) {
    if (!gtk_widget_is_visible(widget)) continue;
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, window_, 0, 0, &x, &y);
    GtkAllocation box;
    gtk_widget_get_allocation(widget, &box);
    std::fprintf(file, "%d %d %d %d %d\n", id, originX + x, originY + y, box.width, box.height);
  }
  std::fclose(file);
  std::rename(temporary.c_str(), path);
}

int ConfigWindow::IdOf(GtkWidget* widget) const {
  for (const auto& [id, candidate] : widgets_) {
    if (candidate == widget) return id;
  }
  return 0;
}

void ConfigWindow::OnListChanged(GtkComboBox* combo, gpointer self) {
  auto* window = static_cast<ConfigWindow*>(self);
  if (window->syncing_) return;
  window->tool_.OnListChanged(window->IdOf(GTK_WIDGET(combo)), gtk_combo_box_get_active(combo));
  window->AfterEvent();
}

void ConfigWindow::OnToggled(GtkToggleButton* button, gpointer self) {
  auto* window = static_cast<ConfigWindow*>(self);
  if (window->syncing_) return;
  window->tool_.OnCheckChanged(window->IdOf(GTK_WIDGET(button)), gtk_toggle_button_get_active(button));
  window->AfterEvent();
}

void ConfigWindow::OnClicked(GtkButton* button, gpointer self) {
  auto* window = static_cast<ConfigWindow*>(self);
  window->tool_.OnButton(window->IdOf(GTK_WIDGET(button)));
  window->AfterEvent();
}

gboolean ConfigWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* window = static_cast<ConfigWindow*>(self);
  window->tool_.OnClose();
  window->AfterEvent();
  return TRUE;  // the window is destroyed with this object
}

// Escape closes the dialog without saving, as closing the window does.
gboolean ConfigWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  if (event->keyval != GDK_KEY_Escape) return FALSE;
  OnDelete(nullptr, nullptr, self);
  return TRUE;
}

gboolean ConfigWindow::OnMapped(gpointer self) {
  static_cast<ConfigWindow*>(self)->WriteGeometry();
  return G_SOURCE_REMOVE;
}

}  // namespace aruconfig
