<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>AccountScreening</name>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (the server ended the session: a purge logs in again)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server ended the session and gives no lasting ids: scan again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>waiting for the server (%1 s)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed: sign in under Manage Account first</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>Could not remove %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BackgroundCheck</name>
    <message>
        <source>%1 message waiting, %2 suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 messages waiting, %2 suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix
The last check failed: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Mavix</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What Mavix Does</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lets you screen incoming emails and delete before downloading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Legal Stuff</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix comes with no warranty of any kind, and you use it at your own risk.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix Version 1.5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A 64 bit application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A 32 bit application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAccountDlg</name>
    <message>
        <source>The usual port number is %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password (USER/PASS)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>STARTTLS (STLS)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TLS (implicit)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fills in the settings from Mavix&apos;s list of providers or, failing that, from the configuration the address&apos;s domain publishes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the provider&apos;s help page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Optional. Trusts the server&apos;s certificate with exactly this fingerprint even when it cannot be verified (a self-signed one); enter it only as your provider gives it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filled in the settings for %1 from %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> No OAuth 2.0 client is set up, so enter an app password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the whole address, such as name@example.org (the domain in plain letters).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 offers no POP3 access.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix&apos;s list of providers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking up the settings %1 publishes…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the configuration its domain publishes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No settings were found (%1). Enter the server&apos;s details yourself.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The password is kept in the desktop&apos;s keyring.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No keyring was found: the password is kept in Mavix&apos;s settings file, readable only by you.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 cannot contain control characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 can be at most %2 characters long; this one has %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 can only hold Western (Windows-1252) characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server name cannot contain control characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server name can only hold Western (Windows-1252) characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>user name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the port as a whole number from 1 to 65535.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the SHA-256 fingerprint as 64 hex digits, with or without colons, or leave it empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;et Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign &amp;in…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;User Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E-&amp;mail Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Authentication</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P&amp;ort Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Se&amp;curity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Certificate &amp;fingerprint (SHA-256)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use the settings %1 publishes?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use These Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings %1 publishes were not used: %2 Enter the server&apos;s details yourself.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAccountEditing</name>
    <message>
        <source>New Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account “%1”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The accounts can be changed once no account is being scanned or reviewed: finish or cancel the review first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the server first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the sign-in in your browser…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signed in. Press OK to keep the sign-in with the account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign-in failed: </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAccountsDlg</name>
    <message>
        <source>  — off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;name...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Switch Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Remove...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Switch On</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix keeps at most %1 accounts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name (empty: %1@%2):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove the account &quot;%1&quot;?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its password or sign-in, its remembered choices and its header cache are removed with it. Messages on the server are not touched.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The account could not be removed: the settings file could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another account is already called “%1”: choose another name.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterEditDlg</name>
    <message>
        <source>Add Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>contains this text anywhere, even inside a word</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>has this text as a whole word or phrase</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>matches this regular expression</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Flag a Subject that</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterPage</name>
    <message>
        <source>   (an encoded word that does not decode)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   (whole word)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   (regular expression)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Restore Defaults</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterSenderPage</name>
    <message>
        <source>Email from an address shown above, or from a domain shown with @ in front (@example.com), is never marked for deletion.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If the sender&apos;s address is shown above, or its domain with @ in front (@example.com), the email is marked for deletion.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterSizePage</name>
    <message>
        <source>An entry is a size as the Size column shows it, such as 113K, or &quot;&gt;&quot; and a size a message must exceed, such as &gt;500K or &gt;2M.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can load a default set of filters: click the Restore Defaults button.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterSubExPage</name>
    <message>
        <source>If the Subject of the email exactly matches the text shown above, the email is marked for deletion.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFilterSubPage</name>
    <message>
        <source>If the Subject holds an entry&apos;s text (anywhere, or as a whole word, as shown beside it) or matches its regular expression, the email is marked for deletion. Case and accents do not matter.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Mavix Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Rescan Everything</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fetch every message&apos;s header again, ignoring the header cache
Rescan Everything</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account
Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;ccounts…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add, rename, reorder, switch off or remove accounts
Accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manage Filter
Manage Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences
Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recently &amp;Deleted…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the messages Mavix has deleted on the server
Recently Deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Mavix...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutting down... May take 20 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Manage Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manage &amp;Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Columns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help &amp;Topics</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMavixView</name>
    <message>
        <source>From the last scan: press Show Mavix to scan again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set up an account using &quot;Edit&quot; on the menu.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server=%1, user=%2 port=%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>switched off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Background check failed: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed to connect (still waiting for the server)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to connect. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  (the password travelled unencrypted)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logged in with </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: the password travelled unencrypted, so anyone on the way could read it. Choose a secure connection or another log-in method under Manage Account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session: Removed Checked Items will log in again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session. It gives its messages no lasting ids (UIDL), so the rows can no longer be matched to messages: scan again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  (no lasting ids: scan to remove any)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No messages are checked.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no subject)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server. A copy of each message up to %1 KB is kept for %2 days: Help › Recently Deleted… can save or open it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server, and no copy is kept (Edit › Preferences).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1 checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grid has </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
 but Msg has 
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>

 Aborting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All accounts
%1 waiting, %2 suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete %1 message from %2 on the server?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 on the server?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>item %1 has order number problem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Show Mavix</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked messages are deleted on the server; Space checks or unchecks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Check All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Uncheck All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Removed Checked Items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nobody has signed in for this account yet: Sign in… under Edit › Manage Account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 accounts on the server (%3)?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Account…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPrefsDlg</name>
    <message>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 (no previews)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KB, for</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lines of a selected message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically &amp;Get Mavix on Launch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically E&amp;xit After Cancel or Purge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically Set the &amp;Filter lists to the Default on Launch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Check for mail every</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minutes between checks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Keep a copy of deleted messages up to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Largest copy kept, in KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Days a copy is kept</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ask before deleting messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark mail whose sender failed the receiving server&apos;s checks (&amp;DMARC, SPF)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark mail whose sender&apos;s &amp;name shows another address or domain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark mail from domains that &amp;look like well-known ones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Wait for the server up to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Preview the first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;tart Mavix when I log in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mavix does not start when you log in: its entry %1 starts %2, which is not there. OK writes it again for %3.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CRecentlyDeletedWindow</name>
    <message>
        <source>Recently Deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subject</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Why</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UIDL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save Copy As…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open in Mail Program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kept</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing has been deleted yet. Deletions are recorded in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 deleted messages, newest first, from %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The kept copy of this message is gone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Copy As</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mail messages (*.eml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The copy could not be saved as %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The copy could not be opened in your mail program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;All…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save the kept copies of the selected rows into a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
POP3 cannot put a message back on the server. Where a copy was kept, select its row to save it as a file or open it in your mail program; select several rows (Ctrl+A: all) to save their copies at once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save All Copies Into</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No mail program could be opened for this message. Save it with &quot;Save Copy As…&quot; and open the file in your mail program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copies saved in %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected rows without a kept copy: %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CRowActions</name>
    <message>
        <source>Trust this sender</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always flag this sender</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flag Subjects that are exactly “%1”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View Headers…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The headers of this message cannot be read from %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Headers of message %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CTrayController</name>
    <message>
        <source>Mavix keeps checking for mail in the background. File › Exit quits.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not checked yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause background checks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Background checks are paused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Mavix</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DumpFile</name>
    <message>
        <source>the disk is full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder is read-only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (cannot create a file in the folder of %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to write message to file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was cut at %2 MiB; later messages are listed but not written to it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (writing %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (closing %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 belongs to another user and this folder does not let it be replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (replacing %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EntryRules</name>
    <message>
        <source>Type &quot;&gt;&quot; and a size, such as &gt;500K or &gt;2M.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A size above nothing would mark every message: type a size above 0, such as &gt;500K.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FilterManager</name>
    <message>
        <source>Manage Filters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subject Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subject Exact Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Senders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trusted senders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Filters</name>
    <message>
        <source>defaults.txt was ignored because it is a symbolic link; the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be examined; the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it is not a plain file; the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it belongs to another user; the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>defaults.txt was ignored because others may change it (chmod go-w defaults.txt); the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be read; the built-in default filters are used instead.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MessageGridModel</name>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Att.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subject</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From the last scan: scan again to check or remove it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>checked, suspect: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not checked, suspect: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NewMailNotices</name>
    <message>
        <source>1 new suspect message: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 new suspect messages: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OAuth</name>
    <message>
        <source>the sign-in was not finished in the browser within %1 minutes; sign-in stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the sign-in was not finished in the browser within %1 seconds; sign-in stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the provider&apos;s endpoints must be https:// addresses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no random numbers for the sign-in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot listen on 127.0.0.1 for the browser: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is not a sign-in answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the sign-in listener got a request that is not the browser&apos;s answer; sign-in stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign-in was already answered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a second request reached the sign-in listener; sign-in stopped for safety, please sign in again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign-in failed: this answer belongs to another sign-in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the browser&apos;s answer was not for this sign-in (its state differs); sign-in stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign-in failed. You can close this window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sign-in failed: no authorization code.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the browser&apos;s answer carried no authorization code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can close this window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint refused the sign-in: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the provider gave no refresh token (is offline access allowed for this client?)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open the sign-in page in a browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sign-in cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the custom OAuth provider needs %1, %2 and %3 in the settings&apos; [%4] section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no OAuth client ID for %1: set %2 in the settings&apos; [%3] section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no OAuth provider is known for this server: set %1 (google, microsoft or custom) in the account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown OAuth provider &apos;%1&apos; (google, microsoft or custom)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without a token</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint&apos;s answer is too long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without JSON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint sent a token with characters no token may hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no answer from the token endpoint in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot reach the token endpoint: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token endpoint must be an https:// address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no OAuth refresh token is stored for this account: sign in first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot renew the OAuth access token: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token command wrote more than a token</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token command did not finish in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token command is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot run the token command: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token command failed (exit status %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the token command gave no token on its standard output</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Pop3</name>
    <message>
        <source>TLS cannot run over this stream.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers only USER/PASS.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this system cannot compute APOP&apos;s MD5 digest.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this system cannot run %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server went on past %1 rounds of %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s challenge to %1 is not base64.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s challenge makes no sense to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the access token is too long or holds a control character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no way to get one is set up.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server went on after its error challenge to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (status %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL; nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused the connection: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused the log-in: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server does not offer STLS (STARTTLS), so the connection cannot be secured; the user name and password were not sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused STLS (STARTTLS): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server sent more than its answer to STLS (STARTTLS); the connection may have been tampered with and was closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server could not prove that it knows the password: it is not the server it claims to be, and the connection was closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No access token could be had for the log-in: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The log-in could not go on: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused the log-in (%1): %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No answer on port %1 within %2 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 on port %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection was lost while sending %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped before %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server had closed the connection before %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server sent data nobody asked for before %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 names another message.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 gives no size.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The reply to %1 was read out of turn.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server accepted the connection but sent no greeting within %1 seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server refused the command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s reply is not understood</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server lists more than Mavix handles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s reply holds a number out of range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s message list names a message twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s message list does not match its count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 has no line end.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is not a POP3 reply.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is longer than 64 MiB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The POP3 server&apos;s reply is longer than 64 MiB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 did not end within %2 seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server stopped in the middle of its answer to %1 (silent for %2 seconds).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server did not answer %1 within %2 seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped while waiting for the answer to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection was lost during %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server closed the connection during %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection was lost during %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Preview</name>
    <message>
        <source>The session with the server has ended: scan again to preview this message.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server would not name the message.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server has another message under this number now: scan again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server would not show the message.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PreviewPane</name>
    <message>
        <source>Message %1: fetching the first %2 lines...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previews are turned off (Preferences).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a message to read its start here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message %1, the first %2 lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message %1: no preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From: %1
To: %2
Date: %3
Subject: %4
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attachment: %1 — %2, %3 %4 KB%5
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>at least</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>about</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  ⚠ a program named like a document</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(HTML shown as text; links as [their real target]; nothing was loaded)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
[cut: the message goes on past what was fetched]
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show &amp;More</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Prompter</name>
    <message>
        <source>Don&apos;t ask again</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Purge</name>
    <message>
        <source>Another purge of this account is running: nothing was deleted. Scan again once it has ended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The deletions could not be recorded in %1: nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session, and no new log-in can be tried: %1 Nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session and a new log-in failed (%1): nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session, and it gives its messages no lasting ids (UIDL), so the rows cannot be matched to messages again: nothing was deleted. Scan again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server ended the session, and the account has changed since the scan: nothing was deleted. Scan again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids could not be read again (%1): nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the deletions could not be recorded in %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PurgeSummary</name>
    <message>
        <source>Nothing was deleted: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was deleted: %1, so the session was closed without QUIT.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled: nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server did not confirm the deletions (QUIT): the %1 messages marked may or may not have been deleted. Recently Deleted lists them as possibly deleted until the next scan of the account settles it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server did not confirm the deletions: the checked messages may still be on the server.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 deleted, %2 refused by the server, %3 not deleted (changed on the server)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 already removed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 not deleted (could not be read or found)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 not deleted (no copy could be kept)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 not deleted (the copy did not match)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; %1 checked by Subject only (the server gave no usable id)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> The session was closed without QUIT, so nothing was deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>. The deletions were not recorded: Recently Deleted lists them as possibly deleted until the next scan of the account settles them.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Scan</name>
    <message>
        <source>Unknown log-in method &quot;%1&quot; (Authentication): choose one under Manage Account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This account signs in with OAuth 2.0, and nobody has signed in for it yet: sign in under Manage Account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown connection security setting &quot;%1&quot;: choose one under Manage Account.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server reports more than %1 messages, more than one scan can show: nothing was read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server Refused STAT Response</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No emails waiting for you at the Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s message list (LIST) cannot be used: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused to list its messages (LIST): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids (UIDL) cannot be used: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection was lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s headers are larger than one scan can hold (%1 MiB); the scan stopped at message %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server refused LIST %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The scan failed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>The settings folder %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file or folder %1 belongs to another user or is not a plain file or folder; Mavix does not use it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Setup</name>
    <message>
        <source>no answer in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>redirected to an address that is not https</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration file is nested too deeply.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is not a mail configuration file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration file lists too many servers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration file is too large.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A value in the configuration file is too long.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration file is not well-formed XML (line %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration names no POP3 server Mavix can use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The provider asks you to switch access on first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch POP on in Gmail&apos;s settings (Forwarding and POP/IMAP) first. Sign in with OAuth 2.0, or choose Automatic and use an app password (it needs 2-Step Verification).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create an app password at the provider and enter it as the password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in GMX&apos;s settings first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch POP access on in Zoho Mail&apos;s settings first; with two-factor authentication, use an app password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in. POP may have to be switched on in Outlook.com&apos;s settings (Mail &gt; Forwarding and IMAP).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in; your organisation may have to allow POP for your mailbox.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fastmail takes only an app password here, never your account&apos;s own password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in WEB.DE&apos;s settings first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>iCloud Mail offers no POP3 access (IMAP only), so Mavix cannot screen it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server %1 takes the password without encryption (Security: None): anyone on the way can read it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server %1 is not in the domain %2: the file sends your password to another domain&apos;s server.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Tls</name>
    <message>
        <source>error %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TLS is not available: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The system&apos;s trusted certificates cannot be loaded: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CA certificates in %1 (%2) cannot be read: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1. Its SHA-256 fingerprint is %2; only if your provider confirms that fingerprint, store it with the account to trust this certificate.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The TLS handshake with the server failed: %1. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server closed the connection during the TLS handshake. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server did not complete the TLS handshake within %1 seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The TLS handshake was interrupted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection failed during the TLS handshake: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it could not be verified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The certificate fingerprint stored with the account is not a SHA-256 fingerprint (64 hex digits).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server name &quot;%1&quot; cannot be checked against a certificate.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (it is not valid for %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>cannot work in %1; staying in the current folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: mavix [--desktop] [--hidden]
Screens POP3 mailboxes: shows the headers of the waiting mail and deletes
the checked messages on the server before any mail program downloads them.
&quot;message.txt&quot; (the headers of the last scan) and &quot;defaults.txt&quot; (default
filter lists) are written and read in the current folder.

  --desktop   work in $XDG_DATA_HOME/Mavix (what the desktop launcher does)
  --hidden    start in the tray, without the window (what starting at log-in
              does); without a tray or background checks the window shows
  --help      show this text
  --version   show the version
Qt&apos;s own options (-platform, -style, ...) are accepted too.
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>mavix-cli</name>
    <message>
        <source>warning: the password travelled unencrypted (%1): choose a secure connection or another log-in method</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 belongs to the purge command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give only one of --suspects, --all and --rows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--lines wants a number from 1 to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--rows wants message numbers such as 1,3,7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--server needs a host name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--port wants a number from 1 to 65535</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--user needs a name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--security wants none, stls or tls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--auth wants auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 or oauthbearer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--account needs an account&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--token-command needs a command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--tls-fingerprint wants a SHA-256 fingerprint: 64 hex digits, colons allowed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>log takes only --tsv and --account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>accounts takes only --tsv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>authorize takes only --server, --user and --account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--lines belongs to the show command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show takes no %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give only one of --account and --all-accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--server, --port, --user, --security, --tls-fingerprint, --auth and --token-command apply to one account: not with --all-accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--rows names the messages of one account: not with --all-accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the password is never taken from the command line: set MAVIX_PASSWORD or store it with Mavix&apos;s Manage Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no command given (scan, purge, log, accounts or authorize)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos; (scan, purge, show, log, accounts or authorize)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show needs a message number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>purge needs one of --suspects, --all or --rows N[,N...]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>poll failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>interrupted: scan stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>interrupted: stopping the purge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the scan failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no message %1 on the server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>at least %1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>about %1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attachment: %1 - %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (!) a program named like a document</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[cut: the message goes on; --lines %1 shows more]
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no message %1 on the server; nothing deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the list has &quot;%1&quot; but the server has &quot;%2&quot;; stopped, nothing further deleted
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>already removed from the server
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the message could not be read or found, so it is left alone
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Not deleted.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the purge had already ended; its deletions stand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>interrupted while waiting for QUIT&apos;s reply: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>nothing was deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not deleted: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing deleted yet (%1).
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no account is named &apos;%1&apos; (see &apos;mavix-cli accounts&apos;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>disabled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No account is set up yet.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &apos;mavix-cli --help&apos;.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>authorize needs the account&apos;s server and user name (--server, --user)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open this address in a browser and sign in:
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sign-in failed: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot store the refresh token: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the keyring.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the settings file %1.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no OAuth sign-in is stored for this account: run &apos;mavix-cli authorize&apos; first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot watch for Ctrl-C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>account %1: exit status %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no account is enabled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: mavix-cli scan [--tsv] [--raw] [--no-cache] [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [--no-cache]
                       [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli show N [--lines L] [--account NAME] [ACCOUNT OPTIONS]
       mavix-cli log [--tsv] [--account NAME]
       mavix-cli accounts [--tsv]
       mavix-cli authorize [--account NAME] [--server HOST] [--user NAME]
       mavix-cli --help
       mavix-cli --version

Screens the POP3 mailbox of a stored Mavix account without downloading any
mail: logs in, fetches only the header block of every waiting message
(TOP n 0) and prints one row per message as it arrives. Rows whose Subject,
size or sender match the stored filter lists are marked as suspects, with
the reason; a sender on the trusted list never is.

Commands:
  scan        Scan the mailbox and list the messages. Nothing is deleted.
  purge       Scan, then delete the selected messages on the server. Before
              each deletion the message&apos;s header is read again and its
              Subject compared with the one the scan listed; at the first
              difference the purge stops and nothing further is deleted.
              Deletions already made are committed when the session ends.
  show N      Scan, then print the start of message N as plain text: its
              From, To, Date and Subject (decoded), its attachments (name,
              type, approximate size; marked (!) where the name hides a
              program behind a document&apos;s extension, as in
              &quot;invoice.pdf.exe&quot;) and the first L lines of its body (TOP N L,
              which leaves the message as it is on the server). HTML is
              shown as text, with each link&apos;s real target in brackets;
              nothing is loaded, opened or saved.
  --lines L   (show) the body lines to fetch, 1 to 2000; else the
              preference &quot;Preview the first L lines&quot; (40 by default)
  log         Print the journal of deletions that Mavix and mavix-cli made,
              oldest first: time, size, From, Subject, why the message
              was deleted, and &quot;copy: PATH&quot; where a copy was kept (POP3
              cannot put a message back; the copy can). With --tsv: the
              journal&apos;s lines as they are kept, time (UTC), account, UIDL,
              size in bytes, From, Subject, reason, escaped like the scan&apos;s
              --tsv output; a message with a kept copy adds a state field
              (empty for a deletion) and the copy&apos;s path. The journal is
              $XDG_STATE_HOME/Mavix/deleted.log (~/.local/state/Mavix).
  accounts    List the stored accounts in their order, one per line: name,
              user@server:port, security (none, stls, tls), log-in method,
              and &quot;disabled&quot; for an account left out of --all-accounts.
              With --tsv: the same fields tab-separated, escaped as the
              scan&apos;s, the last one 1 (enabled) or 0.
  authorize   Sign in to the account&apos;s OAuth 2.0 provider (Google,
              Microsoft, or the custom one of the settings&apos; [OAuth] section)
              in a browser: prints the address to open, waits up to 5
              minutes for the browser to come back to a listener on
              127.0.0.1, then stores the refresh token in the keyring (else
              in the settings file) and says where. The OAuth client ID is
              taken from the settings&apos; [OAuth] section.

Accounts:
  --account NAME      the account to scan, purge, authorize or show the log
                      of: its name, or user@server. Without it, the first
                      account. An unknown name is a usage error.
  --all-accounts      scan or purge every enabled account, one after
                      another. Each --tsv line then begins with the
                      account&apos;s name as an extra field (the other fields
                      keep their places); the table gets a heading per
                      account. Each account uses its stored password
                      (MAVIX_PASSWORD is not used); --rows and the account
                      options below are for one account and not taken.

Selection (purge only, exactly one):
  --suspects          the suspect rows, as Mavix pre-checks them
  --all               every row
  --rows N[,N...]     the listed message numbers; a number the scan did not
                      list is an error and nothing is deleted

Output:
  --tsv       One line per message, tab-separated: number, size, attachment
              mark, Subject, From, Email, Date, To, CC, suspect (1 or 0),
              reason (why the row is suspect, such as
              Subject contains &quot;HONEY&quot;; empty when it is not).
              Texts are UTF-8. Inside a text, backslash, tab, CR and LF are
              written as \\, \t, \r and \n, and every other control
              character (C0, DEL, and the C1 controls U+0080-U+009F) as
              \xHH, its code in two hex digits, so no server text can send
              escape sequences to a terminal.
              After the rows, purge adds one line per selected message:
                deleted&lt;TAB&gt;N
                refused&lt;TAB&gt;N&lt;TAB&gt;server reply
                mismatch&lt;TAB&gt;N&lt;TAB&gt;listed Subject&lt;TAB&gt;Subject on the server
  (default)   A table fitted to the terminal width; suspects are marked &apos;*&apos;
              and their reason shown when the terminal is wide enough.
              Control characters in server texts are shown as blanks.
  --raw       Subject, From, To and CC as the server sent them: encoded
              words (=?UTF-8?B?...?=) are not decoded, and the bytes are
              converted from Windows-1252 to UTF-8. Without it they are
              decoded as a mail program shows them (RFC 2047 encoded words;
              UTF-8 header bytes; else Windows-1252).
  The scan&apos;s status text and every error go to standard error.

Header cache:
  The header blocks a scan read are kept per account in
  $XDG_CACHE_HOME/Mavix/headers-USER@SERVER-HASH (~/.cache/Mavix), keyed by
  the server&apos;s message ids (UIDL) and sizes; the next scan fetches only the
  messages it has not seen. A purge still reads every message again first.
  Deleting the file clears it.
  --no-cache  fetch every header block again, ignoring the cache, and
              write the cache anew

Account (for this run only, on the chosen account; nothing is saved):
  --server HOST       POP3 server name or address
  --port PORT         TCP port (the stored one, else 110)
  --user NAME         mailbox user name
  --security MODE     none: plain POP3; stls: STARTTLS on the plain port
                      (RFC 2595); tls: TLS from the start (RFC 8314). The
                      stored setting, else none. Without --port, a stored
                      port of 110 becomes 995 for tls, and 995 becomes 110
                      for the others. A connection that cannot be secured
                      fails; it never falls back to plain text.
  --tls-fingerprint HEX
                      trust the server&apos;s certificate with this SHA-256
                      fingerprint (64 hex digits, colons allowed) even when
                      it does not verify, as for a self-signed certificate;
                      an empty HEX ignores a stored fingerprint
  --auth METHOD       how to log in: auto (the strongest the server offers),
                      user (USER/PASS), apop, plain, login, cram-md5,
                      scram-sha-1, scram-sha-256, xoauth2 or oauthbearer
                      (OAuth 2.0 access tokens). The stored choice, else auto.
  --token-command CMD
                      run CMD (split into words like a shell&apos;s, but not run
                      by one) for each log-in and use its standard output as
                      the OAuth 2.0 access token; without it, the OAuth
                      methods use the refresh token &quot;mavix-cli authorize&quot;
                      stored
The password is taken from the environment variable MAVIX_PASSWORD when it is
set, else from the desktop&apos;s keyring (Secret Service), else from the settings
file; never from the command line.
Certificates are verified against the system&apos;s trusted CAs and the server
name. MAVIX_TLS_CA_FILE may name a PEM file of further CAs to trust (for a
private CA, or for tests).

Settings are those of the desktop program (the account, the filter lists and
the preference &quot;Automatically Set the Filter lists to the Default on Launch&quot;).
&quot;defaults.txt&quot; is read from, and the header dump &quot;message.txt&quot; written to, the
current directory.

Ctrl-C during the scan stops it. Ctrl-C during a purge stops it at once:
before its QUIT the session is closed without QUIT, so nothing at all is
deleted; once QUIT is sent the server may already be deleting, and the
messages are then reported, and journaled, as possibly deleted. A second
Ctrl-C, or SIGTERM, leaves at once.

Before its QUIT a purge writes the messages it marked to the journal of
deletions (&quot;mavix-cli log&quot;) as pending; QUIT&apos;s answer makes them deleted. When
the answer never comes they stay &quot;possibly deleted&quot; until the next scan of
the account settles them by their ids. When the journal cannot be written,
the session is closed without QUIT and nothing is deleted. One purge of an
account runs at a time; a second one waits a few seconds, then gives up.

A purge prints &quot;deleted N&quot; only for deletions the server confirmed at QUIT,
&quot;possibly deleted N&quot; (with --tsv &quot;unconfirmed N&quot;) when QUIT went out but its
answer did not come, &quot;refused N&quot; for a DELE the server refused, &quot;mismatch N&quot; where it stopped
because the message changed (its Subject or its id), &quot;gone N&quot; for a message
another client had removed already, and &quot;skipped N&quot; for one it could not read
or find. It then says on stderr how many were deleted, refused and not
deleted, and which checked messages are still on the server. When the
server&apos;s replies stop matching the commands (late, doubled or malformed), the
session is closed without QUIT: nothing at all is deleted, and it says so.

Exit status:
  0    the scan (and the purge) ended normally, also when no mail was waiting
  1    the scan failed (server not found, connection not secured, log-in or
       STAT refused, ...), a checked message was not deleted (refused, or the
       session broke), the server did not confirm the purge&apos;s QUIT (so
       deletions may or may not have been made), the journal of deletions
       could not be written (nothing deleted), another purge of the account
       was running, the output could not be written, or authorize could
       not sign in or store the refresh token
  2    usage error
  3    the purge stopped on a Subject mismatch
  130  interrupted by Ctrl-C
  143  ended by SIGTERM
With --all-accounts, the worst of the accounts&apos; statuses, from best to
worst: 0, 3, 1; Ctrl-C or SIGTERM stops at the account it interrupts and
gives 130 or 143.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 accounts are named &apos;%2&apos;; give each its own name:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
